#include "platform/dshow/pin_helpers.h"

#include <memory>

namespace dshow {

std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter) {
  std::vector<ComPtr<IPin>> pins;
  ComPtr<IEnumPins> pinEnum;
  if (!filter || FAILED(filter->EnumPins(pinEnum.Put())) || !pinEnum) return pins;
  IPin* pin = nullptr;
  ULONG fetched = 0;
  while (pinEnum->Next(1, &pin, &fetched) == S_OK && fetched == 1) pins.push_back(ComPtr<IPin>::Attach(pin));
  return pins;
}

PIN_DIRECTION DirectionOf(IPin* pin) {
  PIN_DIRECTION direction = PINDIR_INPUT;
  pin->QueryDirection(&direction);
  return direction;
}

ComPtr<IBaseFilter> OwnerOf(IPin* pin) {
  PIN_INFO info{};
  if (FAILED(pin->QueryPinInfo(&info))) return nullptr;
  return ComPtr<IBaseFilter>::Attach(info.pFilter);
}

bool IsConnected(IPin* pin) {
  ComPtr<IPin> peer;
  return SUCCEEDED(pin->ConnectedTo(peer.Put())) && peer;
}

GUID MajorTypeOf(IPin* pin) {
  ComPtr<IEnumMediaTypes> types;
  if (FAILED(pin->EnumMediaTypes(types.Put())) || !types) return GUID_NULL;
  AM_MEDIA_TYPE* first = nullptr;
  ULONG fetched = 0;
  if (types->Next(1, &first, &fetched) != S_OK || fetched != 1) return GUID_NULL;
  const GUID major = first->majortype;
  DeleteMediaType(first);
  return major;
}

}  // namespace dshow
