#include "platform/com/task_memory.h"

#include <cstdlib>

LPVOID CoTaskMemAlloc(SIZE_T size) { return std::malloc(size ? size : 1); }

LPVOID CoTaskMemRealloc(LPVOID block, SIZE_T size) { return std::realloc(block, size ? size : 1); }

void CoTaskMemFree(LPVOID block) { std::free(block); }
