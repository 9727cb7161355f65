// Helpers of the COM objects of this layer: one reference count per object, interface lookup by id,
// and the wide strings that names travel in.
#pragma once

#include <atomic>
#include <string>

#include "platform/dshow/filter_interfaces.h"

namespace dshow {

// The reference count of one object; the object deletes itself when it reaches zero.
class RefCounted {
 public:
  RefCounted() = default;
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

 protected:
  virtual ~RefCounted() = default;
  ULONG AddRefImpl() { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
  ULONG ReleaseImpl() {
    const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

// Answers QueryInterface with the given pointer, adding a reference.
template <class Interface>
HRESULT Hand(Interface* pointer, void** object) {
  pointer->AddRef();
  *object = pointer;
  return S_OK;
}

// IDispatch without type information, shared by the automation interfaces of this layer.
template <class Interface>
class NoTypeInfo : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
};

std::u16string WideString(LPCWSTR text);  // null gives an empty string
std::u16string WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::u16string& text);
// Copies into a fixed name array, cut to fit with its terminating zero.
template <std::size_t N>
void CopyName(WCHAR (&target)[N], const std::u16string& name) {
  const std::size_t n = name.size() < N - 1 ? name.size() : N - 1;
  name.copy(target, n);
  target[n] = 0;
}
// A copy allocated with CoTaskMemAlloc, for out-parameters; null when out of memory.
LPWSTR TaskMemString(const std::u16string& text);

}  // namespace dshow
