#include "platform/com/global_memory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/win32/errors.h"

namespace {

struct Block {
  unsigned char* data = nullptr;  // null while a movable block has size 0
  SIZE_T size = 0;
  bool movable = false;
  int locks = 0;
};

struct Heap {
  std::mutex mutex;
  // Guarded by mutex: every block by its handle (a fixed block's handle is its address).
  std::map<HGLOBAL, Block> blocks;
  ULONG_PTR nextHandle = 0x20000;
};

Heap& TheHeap() {
  static auto* heap = new Heap;  // lives to the end of the process, for late frees
  return *heap;
}

// A fixed block needs an address even when empty.
unsigned char* Allocate(SIZE_T bytes, bool zero, bool fixed) {
  const SIZE_T real = bytes == 0 && fixed ? 1 : bytes;
  if (real == 0) return nullptr;
  void* data = zero ? std::calloc(real, 1) : std::malloc(real);
  return static_cast<unsigned char*>(data);
}

// The block of a handle, with the heap locked for as long as the lookup lives; null (and
// ERROR_INVALID_HANDLE) when the handle names no block.
class LockedBlock {
 public:
  explicit LockedBlock(HGLOBAL memory) : lock_(TheHeap().mutex) {
    auto found = TheHeap().blocks.find(memory);
    if (found == TheHeap().blocks.end())
      SetLastError(ERROR_INVALID_HANDLE);
    else
      block_ = &found->second;
  }
  Block* operator->() const { return block_; }
  explicit operator bool() const { return block_ != nullptr; }

 private:
  std::lock_guard<std::mutex> lock_;
  Block* block_ = nullptr;
};

}  // namespace

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
  const bool movable = flags & GMEM_MOVEABLE;
  unsigned char* data = Allocate(bytes, flags & GMEM_ZEROINIT, !movable);
  if (!data && (bytes > 0 || !movable)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  Heap& heap = TheHeap();
  std::lock_guard lock(heap.mutex);
  HGLOBAL handle = movable ? reinterpret_cast<HGLOBAL>(heap.nextHandle += 8) : static_cast<HGLOBAL>(data);
  heap.blocks[handle] = Block{data, bytes, movable, 0};
  return handle;
}

HGLOBAL WINAPI GlobalReAlloc(HGLOBAL memory, SIZE_T bytes, UINT flags) {
  Heap& heap = TheHeap();
  std::lock_guard lock(heap.mutex);
  auto found = heap.blocks.find(memory);
  if (found == heap.blocks.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  Block& block = found->second;
  if (flags & GMEM_MODIFY) return memory;  // only attributes would change
  if (bytes == block.size) return memory;
  // A fixed block, or a locked one, may only move when the caller allows it.
  const bool mayMove = block.movable ? (block.locks == 0 || (flags & GMEM_MOVEABLE)) : (flags & GMEM_MOVEABLE);
  if (!mayMove) {
    if (bytes > block.size) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    block.size = bytes;  // shrinks in place: the caller's address stays good
    return memory;
  }
  unsigned char* data = nullptr;
  if (bytes > 0 || !block.movable) {
    data = Allocate(bytes, false, !block.movable);
    if (!data) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    const SIZE_T kept = std::min(bytes, block.size);
    if (kept) std::memcpy(data, block.data, kept);
    if (bytes > kept && (flags & GMEM_ZEROINIT)) std::memset(data + kept, 0, bytes - kept);
  }
  std::free(block.data);
  Block moved{data, bytes, block.movable, block.locks};
  if (block.movable) {
    block = moved;
    return memory;
  }
  heap.blocks.erase(found);
  heap.blocks[data] = moved;
  return data;
}

LPVOID WINAPI GlobalLock(HGLOBAL memory) {
  LockedBlock block(memory);
  if (!block) return nullptr;
  if (!block->data) {
    SetLastError(157);  // ERROR_DISCARDED: an empty movable block has no memory to lock
    return nullptr;
  }
  if (block->movable) ++block->locks;
  return block->data;
}

BOOL WINAPI GlobalUnlock(HGLOBAL memory) {
  LockedBlock block(memory);
  if (!block) return FALSE;
  if (!block->movable || block->locks == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  if (--block->locks > 0) return TRUE;
  SetLastError(ERROR_SUCCESS);
  return FALSE;
}

SIZE_T WINAPI GlobalSize(HGLOBAL memory) {
  LockedBlock block(memory);
  return block ? block->size : 0;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL memory) {
  if (!memory) return nullptr;
  Heap& heap = TheHeap();
  std::lock_guard lock(heap.mutex);
  auto found = heap.blocks.find(memory);
  if (found == heap.blocks.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return memory;
  }
  std::free(found->second.data);
  heap.blocks.erase(found);
  return nullptr;
}

HGLOBAL WINAPI GlobalHandle(LPCVOID memory) {
  Heap& heap = TheHeap();
  std::lock_guard lock(heap.mutex);
  for (const auto& [handle, block] : heap.blocks)
    if (block.data == memory && memory) return handle;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}
