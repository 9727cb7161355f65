// The console (the standard handles, whether one of them is a console, and its size) and the
// processors the process may run on.
#pragma once

#include "platform/win32/wintypes.h"

constexpr DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
constexpr DWORD STD_ERROR_HANDLE = static_cast<DWORD>(-12);

struct COORD {
  SHORT X;
  SHORT Y;
};

struct SMALL_RECT {
  SHORT Left;
  SHORT Top;
  SHORT Right;
  SHORT Bottom;
};

struct CONSOLE_SCREEN_BUFFER_INFO {
  COORD dwSize;
  COORD dwCursorPosition;
  WORD wAttributes;
  SMALL_RECT srWindow;
  COORD dwMaximumWindowSize;
};

// The same handle on every call for one of the three; INVALID_HANDLE_VALUE for another number.
HANDLE WINAPI GetStdHandle(DWORD stdHandle);
// Succeeds only for a console (a terminal here); FALSE with ERROR_INVALID_HANDLE for a file, a
// pipe or a device such as the null device.
BOOL WINAPI GetConsoleMode(HANDLE console, LPDWORD mode);
// The visible window of the console; its size in character cells.
BOOL WINAPI GetConsoleScreenBufferInfo(HANDLE console, CONSOLE_SCREEN_BUFFER_INFO* info);

// The processors the process may run on: one bit each, in the process mask (at most the first
// 64 of the machine).
HANDLE WINAPI GetCurrentProcess();
BOOL WINAPI GetProcessAffinityMask(HANDLE process, DWORD_PTR* processMask, DWORD_PTR* systemMask);
