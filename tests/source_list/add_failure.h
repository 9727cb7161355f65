// The message Add shows for a file that the engine cannot read.
#pragma once

#include "framework/sysutils.h"

namespace test_support {

inline AnsiString Failure(const AnsiString& path) {
  return "Fail in initializing file:\r" + path + "\r\rThere is no CODEC for this file or can`t support it.";
}

}  // namespace test_support
