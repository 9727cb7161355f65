// IUnknown, the root of every COM interface, and ComPtr, the owner of one interface reference.
#pragma once

#include <utility>

#include "platform/com/guid.h"
#include "platform/com/hresult.h"
#include "platform/win32/wintypes.h"

#define STDMETHODCALLTYPE

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;
};
using LPUNKNOWN = IUnknown*;

// Every interface type names its own id: template <> IID of Interface is found through this.
template <class Interface>
struct InterfaceId;
template <>
struct InterfaceId<IUnknown> {
  static constexpr const IID& value = IID_IUnknown;
};
#define COM_INTERFACE_ID(Interface, iid)     \
  template <>                                \
  struct InterfaceId<Interface> {            \
    static constexpr const IID& value = iid; \
  }

// Holds one reference, released when the holder goes. Attach takes over a reference that the
// caller already owns; the raw pointer of Put() receives one from an out-parameter.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Adds a reference of its own.
  explicit ComPtr(T* object) : object_(object) {
    if (object_) object_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.object_) {}
  ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ~ComPtr() { Reset(); }
  ComPtr& operator=(const ComPtr& other) {
    ComPtr(other).Swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).Swap(*this);
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) {
    Reset();
    return *this;
  }

  static ComPtr Attach(T* owned) {
    ComPtr result;
    result.object_ = owned;
    return result;
  }
  // Gives up the reference without releasing it.
  T* Detach() { return std::exchange(object_, nullptr); }
  void Reset() {
    if (T* object = std::exchange(object_, nullptr)) object->Release();
  }
  void Swap(ComPtr& other) noexcept { std::swap(object_, other.object_); }

  T* Get() const { return object_; }
  T* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  // Releases what is held and gives the out-parameter slot for a new reference.
  T** Put() {
    Reset();
    return &object_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  // QueryInterface for U; empty (with the failure kept in *result when given) when refused.
  template <class U>
  ComPtr<U> As(HRESULT* result = nullptr) const {
    ComPtr<U> other;
    HRESULT hr = object_ ? object_->QueryInterface(InterfaceId<U>::value, other.PutVoid()) : E_POINTER;
    if (FAILED(hr)) other = nullptr;
    if (result) *result = hr;
    return other;
  }

 private:
  T* object_ = nullptr;
};

template <class T, class U>
bool operator==(const ComPtr<T>& a, const ComPtr<U>& b) {
  return a.Get() == b.Get();
}
