// MultiByteToWideChar and WideCharToMultiByte: the program's 8-bit text and the system's UTF-16.
//
// The 8-bit code page here is UTF-8, as this platform's file names are. A byte that is not part
// of valid UTF-8 (a Latin-1 name from an old disk) becomes the lone surrogate U+DC00 + its value
// and turns back into the same byte, so that every name makes the round trip unchanged.
#pragma once

#include "platform/win32/wintypes.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;

// Both: the number of units written, or with an output size of 0 the number needed; a length of
// -1 takes the input up to and including its NUL. 0 with ERROR_INSUFFICIENT_BUFFER when the
// output is too small, ERROR_INVALID_PARAMETER for other code pages or flags.
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength, LPWSTR wide,
                               int wideLength);
int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR multiByte,
                               int multiByteLength, LPCSTR defaultChar, LPBOOL usedDefaultChar);
