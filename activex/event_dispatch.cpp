#include "activex/event_dispatch.h"

#include "activex/ole_control.h"
#include "framework/exception_report.h"

HRESULT STDMETHODCALLTYPE TEventDispatch::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  const ControlDescriptor* descriptor = host_.Descriptor();
  if (riid == IID_IUnknown || riid == IID_IDispatch || (descriptor && riid == descriptor->EventInterfaceId)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TEventDispatch::AddRef() { return host_.Unknown()->AddRef(); }
ULONG STDMETHODCALLTYPE TEventDispatch::Release() { return host_.Unknown()->Release(); }

HRESULT STDMETHODCALLTYPE TEventDispatch::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                                                 EXCEPINFO*, UINT*) {
  if (!parameters || (parameters->cArgs > 0 && !parameters->rgvarg)) return E_POINTER;
  try {
    if (id >= DISPID_MOUSEUP && id <= DISPID_CLICK)
      host_.DispatchStockEvent(id, *parameters);
    else
      host_.DispatchEvent(id, *parameters);
  } catch (...) {
    ReportException(&host_);  // a descendant's override that let an error out
  }
  return S_OK;
}
