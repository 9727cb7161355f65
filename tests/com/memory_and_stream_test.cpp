// Global memory blocks and the stream over them, as persistence uses them: a movable block whose
// size is the stream's, written, read back, cloned and freed by whoever owns it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/com/stream.h"
#include "platform/win32/errors.h"

namespace {

std::string Contents(HGLOBAL block) {
  const SIZE_T size = GlobalSize(block);
  if (size == 0) return {};
  const char* data = static_cast<const char*>(GlobalLock(block));
  std::string text(data, size);
  GlobalUnlock(block);
  return text;
}

LARGE_INTEGER Offset(LONGLONG value) {
  LARGE_INTEGER offset;
  offset.QuadPart = value;
  return offset;
}

TEST(GlobalMemory, AMovableBlockKeepsItsHandleAcrossReallocationAndCountsItsLocks) {
  HGLOBAL block = GlobalAlloc(GHND, 4);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 4u);
  auto* data = static_cast<char*>(GlobalLock(block));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(data, 4), std::string(4, '\0'));  // zeroed
  std::memcpy(data, "abcd", 4);
  EXPECT_EQ(GlobalLock(block), data);
  EXPECT_TRUE(GlobalUnlock(block));  // still locked once
  // Locked, it may shrink in place but not grow unless allowed to move.
  EXPECT_EQ(GlobalReAlloc(block, 2, 0), block);
  EXPECT_EQ(GlobalReAlloc(block, 64, 0), nullptr);
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);
  EXPECT_EQ(GlobalReAlloc(block, 6, GMEM_ZEROINIT), block);
  EXPECT_EQ(Contents(block), std::string("ab\0\0\0\0", 6));
  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(GlobalSize(block), 0u);
  EXPECT_EQ(GlobalFree(block), block);  // no longer a block
}

TEST(GlobalMemory, AnEmptyMovableBlockHasNoMemoryToLockUntilItGrows) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalLock(block), nullptr);
  ASSERT_EQ(GlobalReAlloc(block, 3, GMEM_MOVEABLE), block);
  EXPECT_NE(GlobalLock(block), nullptr);
  GlobalUnlock(block);
  GlobalFree(block);

  HGLOBAL fixed = GlobalAlloc(GPTR, 0);  // a fixed block always has an address, its handle
  EXPECT_EQ(GlobalLock(fixed), fixed);
  EXPECT_EQ(GlobalHandle(fixed), fixed);
  GlobalFree(fixed);
}

TEST(HGlobalStream, StartsWithTheBlocksContentsAndGrowsItToExactlyWhatIsWritten) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 5);
  std::memcpy(GlobalLock(block), "hello", 5);
  GlobalUnlock(block);
  IStream* stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(block, FALSE, &stream), S_OK);

  char buffer[16] = {};
  ULONG read = 0;
  EXPECT_EQ(stream->Read(buffer, sizeof buffer, &read), S_OK);  // short at the end
  EXPECT_EQ(std::string(buffer, read), "hello");
  ULONG written = 0;
  EXPECT_EQ(stream->Write(", world", 7, &written), S_OK);
  EXPECT_EQ(written, 7u);
  EXPECT_EQ(GlobalSize(block), 12u);
  EXPECT_EQ(Contents(block), "hello, world");

  // Writing past a gap fills it with zeros; seeking before the start is refused.
  ULARGE_INTEGER position;
  EXPECT_EQ(stream->Seek(Offset(2), STREAM_SEEK_END, &position), S_OK);
  EXPECT_EQ(position.QuadPart, 14u);
  stream->Write("!", 1, nullptr);
  EXPECT_EQ(Contents(block), std::string("hello, world\0\0!", 15));
  EXPECT_EQ(stream->Seek(Offset(-1), STREAM_SEEK_SET, &position), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(stream->Seek(Offset(0), 7, nullptr), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(stream->Read(nullptr, 1, nullptr), STG_E_INVALIDPOINTER);

  STATSTG statistics;
  EXPECT_EQ(stream->Stat(&statistics, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(statistics.type, STGTY_STREAM);
  EXPECT_EQ(statistics.cbSize.QuadPart, 15u);
  HGLOBAL behind = nullptr;
  EXPECT_EQ(GetHGlobalFromStream(stream, &behind), S_OK);
  EXPECT_EQ(behind, block);

  EXPECT_EQ(stream->Release(), 0u);
  EXPECT_EQ(Contents(block), std::string("hello, world\0\0!", 15));  // still the caller's
  GlobalFree(block);
}

TEST(HGlobalStream, ClonesShareTheBlockWhichGoesWithTheLastOfThemWhenTheStreamOwnsIt) {
  IStream* stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
  HGLOBAL block = nullptr;
  GetHGlobalFromStream(stream, &block);
  EXPECT_EQ(GlobalSize(block), 0u);
  stream->Write("abcdef", 6, nullptr);
  stream->Seek(Offset(2), STREAM_SEEK_SET, nullptr);

  IStream* clone = nullptr;
  ASSERT_EQ(stream->Clone(&clone), S_OK);
  char two[2];
  clone->Read(two, 2, nullptr);
  EXPECT_EQ(std::string(two, 2), "cd");  // the clone starts where the original stood

  IStream* copy = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &copy);
  ULARGE_INTEGER count, read, written;
  count.QuadPart = 100;
  EXPECT_EQ(stream->CopyTo(copy, count, &read, &written), S_OK);
  EXPECT_EQ(read.QuadPart, 4u);
  EXPECT_EQ(written.QuadPart, 4u);
  HGLOBAL copied = nullptr;
  GetHGlobalFromStream(copy, &copied);
  EXPECT_EQ(Contents(copied), "cdef");
  copy->Release();

  stream->Release();
  EXPECT_EQ(GlobalSize(block), 6u);  // the clone still holds it
  clone->Release();
  EXPECT_EQ(GlobalSize(block), 0u);
  EXPECT_EQ(GlobalFree(block), block);  // freed already
}

}  // namespace
