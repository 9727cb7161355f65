// TEventDispatch: the host's sink for the hosted control's events, advised on the control's
// connection point for the descriptor's EventInterfaceId. Stock events (-607 to -600) go to the
// host's DispatchStockEvent, every other to DispatchEvent. Its references are its host's.
#pragma once

#include "framework/components.h"
#include "platform/com/object.h"

class TOleControl2;

class TEventDispatch final : public TObject, public com::WithoutTypeInfo<IDispatch> {
 public:
  explicit TEventDispatch(TOleControl2& host) : host_(host) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // S_OK for every event (E_POINTER without parameters): what a handler raises is reported with
  // the host as sender and goes no further.
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

 private:
  TOleControl2& host_;
};
