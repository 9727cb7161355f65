// The enumerators of pins, filters and media types: a snapshot of the items taken when the
// enumerator is made or reset. Next reports VFW_E_ENUM_OUT_OF_SYNC once the collection has changed
// since the snapshot; Reset takes a new one.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/dshow/com_object.h"
#include "platform/dshow/media_type.h"

namespace dshow {

template <class Item>
struct EnumSource {
  std::function<std::vector<Item>()> snapshot;
  std::function<ULONG()> version;  // empty when the collection never changes
};

// Interface: IEnumPins or IEnumFilters (items are interface references) or IEnumMediaTypes.
template <class Interface, class Item, class Out>
class Enumerator final : public Interface, private RefCounted {
 public:
  explicit Enumerator(std::shared_ptr<const EnumSource<Item>> source) : source_(std::move(source)) { TakeSnapshot(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == InterfaceId<Interface>::value)
      return Hand(static_cast<Interface*>(this), object);
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, Out* items, ULONG* fetched) override {
    if (!items || (count > 1 && !fetched)) return E_POINTER;
    if (fetched) *fetched = 0;
    if (OutOfSync()) return VFW_E_ENUM_OUT_OF_SYNC;
    ULONG n = 0;
    while (n < count && position_ < items_.size()) {
      items[n] = HandOut(items_[position_]);
      if (!items[n]) break;
      ++n;
      ++position_;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    if (OutOfSync()) return VFW_E_ENUM_OUT_OF_SYNC;
    const std::size_t left = items_.size() - position_;
    position_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    TakeSnapshot();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(Interface** copy) override {
    if (!copy) return E_POINTER;
    auto* clone = new Enumerator(source_);
    clone->items_ = items_;
    clone->position_ = position_;
    clone->version_ = version_;
    *copy = clone;
    return S_OK;
  }

 private:
  void TakeSnapshot() {
    items_ = source_->snapshot();
    position_ = 0;
    version_ = source_->version ? source_->version() : 0;
  }
  bool OutOfSync() const { return source_->version && source_->version() != version_; }

  static Out HandOut(const ComPtr<std::remove_pointer_t<Out>>& item) {
    item->AddRef();
    return item.Get();
  }
  static AM_MEDIA_TYPE* HandOut(const MediaType& item) { return CreateMediaType(&item.Get()); }

  std::shared_ptr<const EnumSource<Item>> source_;
  std::vector<Item> items_;
  std::size_t position_ = 0;
  ULONG version_ = 0;
};

using PinEnumerator = Enumerator<IEnumPins, ComPtr<IPin>, IPin*>;
using FilterEnumerator = Enumerator<IEnumFilters, ComPtr<IBaseFilter>, IBaseFilter*>;
using MediaTypeEnumerator = Enumerator<IEnumMediaTypes, MediaType, AM_MEDIA_TYPE*>;

}  // namespace dshow
