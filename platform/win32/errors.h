// The calling thread's last-error code, and the system's text for an error code.
#pragma once

#include <string>

#include "platform/win32/wintypes.h"

DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD code);

constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x00002000;

// Only FORMAT_MESSAGE_FROM_SYSTEM is supported; the text ends with CR LF as on Windows.
DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                            void* arguments);

namespace win32 {
// Records the Win32 equivalent of a POSIX errno as the last error; returns it.
DWORD SetLastErrorFromErrno(int err);
DWORD ErrorFromErrno(int err);
}  // namespace win32
