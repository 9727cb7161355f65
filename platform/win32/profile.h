// The private-profile (INI file) functions, with Windows semantics: section and key names compare
// without regard to ASCII letter case; the file and the section are created by the first write;
// every other line of the file is kept byte for byte. Writes replace the file atomically where the
// folder allows it.
#pragma once

#include "platform/win32/wintypes.h"

DWORD WINAPI GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue, LPSTR returnedString,
                                      DWORD size, LPCSTR fileName);
UINT WINAPI GetPrivateProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue, LPCSTR fileName);
// A null keyName deletes the section, a null value deletes the key.
BOOL WINAPI WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value, LPCSTR fileName);
