// Restart Manager: the processes that hold files open, and ending them. The subset the program
// uses: files as the only resources, and a forced shutdown. Processes of other users, and this
// process itself, are left alone.
#pragma once

#include "platform/win32/wintypes.h"

constexpr DWORD CCH_RM_SESSION_KEY = 32;  // characters of a session key, without its NUL
constexpr ULONG RmForceShutdown = 0x1;

struct RM_UNIQUE_PROCESS {
  DWORD dwProcessId;
  FILETIME ProcessStartTime;
};
using RM_WRITE_STATUS_CALLBACK = void (*)(UINT percentComplete);

// key receives CCH_RM_SESSION_KEY + 1 characters.
DWORD WINAPI RmStartSession(DWORD* sessionHandle, DWORD sessionFlags, WCHAR key[]);
DWORD WINAPI RmEndSession(DWORD sessionHandle);
// Only files: applications and services are not supported (ERROR_INVALID_PARAMETER).
DWORD WINAPI RmRegisterResources(DWORD sessionHandle, UINT fileCount, LPCWSTR fileNames[], UINT applicationCount,
                                 RM_UNIQUE_PROCESS applications[], UINT serviceCount, LPCWSTR serviceNames[]);
// Ends every process that holds one of the files open: with RmForceShutdown at once, otherwise
// asked to end; ERROR_FAIL_SHUTDOWN when one is still running a second later.
DWORD WINAPI RmShutdown(DWORD sessionHandle, ULONG actionFlags, RM_WRITE_STATUS_CALLBACK status);
