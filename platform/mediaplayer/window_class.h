// The window classes of the control's windows, registered on first use.
#pragma once

#include "platform/win32/user32.h"

namespace mediaplayer {

// Registers a class of that name with the default procedure (windows set their own); true when
// it was not registered before.
inline bool EnsureWindowClass(const char* name) {
  WNDCLASSA windowClass{};
  if (GetClassInfoA(nullptr, name, &windowClass)) return false;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = name;
  return RegisterClassA(&windowClass) != 0;
}

}  // namespace mediaplayer
