// What the control tells its user about a failed open or playback (ErrorDescription, the error box).
#pragma once

#include <string>

#include "platform/com/hresult.h"

namespace mediaplayer {

// The description of a failure code, naming the file when one is given.
std::string ErrorDescription(HRESULT code, const std::string& fileName);

}  // namespace mediaplayer
