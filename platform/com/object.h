// Helpers for implementing COM objects.
//
// Object: the IUnknown of a COM object that lives on the heap and implements one interface (with its
// bases): one reference count, the first reference its creator's, the object deleted at 0, and
// QueryInterface answering IUnknown and each of the listed ids with that interface.
#pragma once

#include <atomic>

#include "platform/com/automation.h"

namespace com {

template <class Interface, const IID&... Ids>
class Object : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || ((riid == Ids) || ...)) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  Object() = default;
  virtual ~Object() = default;

 private:
  std::atomic<ULONG> references_{1};
};

// IDispatch's type-information methods for an object that has none to give: no type information,
// no names (callers use dispatch ids).
template <class Interface>
class WithoutTypeInfo : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo) override {
    if (typeInfo) *typeInfo = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
};

}  // namespace com
