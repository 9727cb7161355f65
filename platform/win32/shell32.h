// shell32: ShellExecuteA, far enough to open a document or web address with the user's program.
#pragma once

#include "platform/win32/wintypes.h"

constexpr INT SW_HIDE = 0;
constexpr INT SW_SHOWNORMAL = 1;
constexpr INT SW_SHOW = 5;
constexpr INT SW_RESTORE = 9;
constexpr UINT_PTR SE_ERR_NOASSOC = 31;
constexpr UINT_PTR SE_ERR_FNF = 2;

// A file of "iexplore" (the system browser) opens parameters in the user's web browser. The
// program is started detached and never waited for; a result above 32 means it was started.
HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                               INT showCommand);
