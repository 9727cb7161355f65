// Questions the graph asks of any filter's pins through their interfaces.
#pragma once

#include <vector>

#include "platform/dshow/filter_interfaces.h"

namespace dshow {

// The filter's pins in its order.
std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter);
PIN_DIRECTION DirectionOf(IPin* pin);
ComPtr<IBaseFilter> OwnerOf(IPin* pin);
bool IsConnected(IPin* pin);
// The major type of the pin's first preferred media type, GUID_NULL when it offers none.
GUID MajorTypeOf(IPin* pin);

}  // namespace dshow
