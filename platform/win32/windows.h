// The Windows SDK subset that the program calls, in one include.
#pragma once

#include "platform/win32/errors.h"
#include "platform/win32/kernel32.h"
#include "platform/win32/profile.h"
#include "platform/win32/resources.h"
#include "platform/win32/shell32.h"
#include "platform/win32/wintypes.h"
#if __has_include("platform/win32/user32.h")
#include "platform/win32/user32.h"
#endif
