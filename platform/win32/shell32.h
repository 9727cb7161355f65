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

// Special folders: CSIDL_APPDATA, the user's folder for programs' settings, and CSIDL_PROFILE,
// the user's own folder (where the drive root "C:\" the program offers as a folder lies). The path
// buffer holds MAX_PATH characters, without a trailing delimiter; create makes the folder when it
// is missing.
constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_PROFILE = 0x0028;
BOOL WINAPI SHGetSpecialFolderPathA(HWND owner, LPSTR path, int folder, BOOL create);

// Files dropped from the desktop's file manager. A window that accepts files (DragAcceptFiles)
// receives WM_DROPFILES, posted once the drop is over, with the HDROP in wParam; the receiver
// reads the names with DragQueryFileA and releases the HDROP with DragFinish.
struct HDROP__;
using HDROP = HDROP__*;
void WINAPI DragAcceptFiles(HWND window, BOOL accept);
// index 0xFFFFFFFF: the number of files. Otherwise the length of that file's name without the
// NUL; with a buffer, as much of the name as fits in size characters, NUL-terminated. 0 for an
// index or HDROP that does not exist.
UINT WINAPI DragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size);
void WINAPI DragFinish(HDROP drop);
