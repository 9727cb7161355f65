// The COM task allocator: memory that one side of an interface call allocates and the other frees
// (strings and structures handed out through out-parameters).
#pragma once

#include "platform/win32/wintypes.h"

LPVOID CoTaskMemAlloc(SIZE_T size);
LPVOID CoTaskMemRealloc(LPVOID block, SIZE_T size);
void CoTaskMemFree(LPVOID block);  // null is allowed
