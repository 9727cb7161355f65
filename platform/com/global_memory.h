// Global memory blocks (GlobalAlloc and the rest), fixed and movable, with the documented
// handle semantics: a fixed block's handle is its address; a movable block's handle stays the same
// while its memory may move between locks, and a movable block of size 0 has no memory at all
// (GlobalLock answers null for it) until GlobalReAlloc gives it some. Thread-safe.
#pragma once

#include "platform/win32/wintypes.h"

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_MODIFY = 0x0080;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;
constexpr DWORD ERROR_NOT_LOCKED = 158;

// Null (with ERROR_NOT_ENOUGH_MEMORY) when the memory cannot be had.
HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
// Keeps the contents up to the smaller size; GMEM_ZEROINIT zeroes what grows. A locked movable
// block moves only with GMEM_MOVEABLE in flags.
HGLOBAL WINAPI GlobalReAlloc(HGLOBAL memory, SIZE_T bytes, UINT flags);
// Each GlobalLock of a movable block counts and needs its GlobalUnlock.
LPVOID WINAPI GlobalLock(HGLOBAL memory);
// TRUE while the block stays locked; FALSE once unlocked (last error NO_ERROR) or when it was not
// locked (ERROR_NOT_LOCKED).
BOOL WINAPI GlobalUnlock(HGLOBAL memory);
SIZE_T WINAPI GlobalSize(HGLOBAL memory);  // 0 for a handle that is no block
// Null when freed; the handle itself when it names no block.
HGLOBAL WINAPI GlobalFree(HGLOBAL memory);
// The handle of a block from the address GlobalLock gave.
HGLOBAL WINAPI GlobalHandle(LPCVOID memory);

namespace com {
// Owns one global memory block and frees it when it goes.
class GlobalMemory {
 public:
  GlobalMemory() = default;
  explicit GlobalMemory(HGLOBAL owned) : memory_(owned) {}
  GlobalMemory(const GlobalMemory&) = delete;
  GlobalMemory& operator=(const GlobalMemory&) = delete;
  GlobalMemory(GlobalMemory&& other) noexcept : memory_(other.Detach()) {}
  GlobalMemory& operator=(GlobalMemory&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }
  ~GlobalMemory() { Reset(); }

  HGLOBAL Get() const { return memory_; }
  explicit operator bool() const { return memory_ != nullptr; }
  HGLOBAL Detach() {
    HGLOBAL memory = memory_;
    memory_ = nullptr;
    return memory;
  }
  void Reset(HGLOBAL owned = nullptr) {
    if (memory_) GlobalFree(memory_);
    memory_ = owned;
  }

 private:
  HGLOBAL memory_ = nullptr;
};
}  // namespace com
