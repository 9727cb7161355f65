// A converted file on its way to a slow disk on a thread of its own, cancelled from another
// (also run under ThreadSanitizer).
#include "batch/background_placement.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/win32/kernel32.h"
#include "platform/win32/posix_files.h"
#include "tests/support/temp_places.h"

namespace fs = std::filesystem;
using win32::detail::FileSystem;
using win32::detail::FileSystemCalls;

namespace {

std::string farFolder;
int (*systemRename)(const char*, const char*) = nullptr;

int CrossFromFar(const char* from, const char* to) {
  if (std::string(from).rfind(farFolder, 0) == 0) {
    errno = EXDEV;
    return -1;
  }
  return systemRename(from, to);
}

ssize_t SlowWrite(int fd, const void* data, std::size_t size) {
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // per megabyte chunk
  return write(fd, data, size);
}

class BackgroundPlacementTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = FileSystem();
    farFolder = far_.str() + "/";
    systemRename = saved_.renameNoReplace;
    FileSystem().renameNoReplace = CrossFromFar;
    FileSystem().write = SlowWrite;
    test_support::WriteFile(far_.path() / "wyl-1.mp3", std::string(20 << 20, 'm'));
  }
  void TearDown() override { FileSystem() = saved_; }

  test_support::TempFolder far_, out_;
  FileSystemCalls saved_{};
};

TEST_F(BackgroundPlacementTest, ArrivesUnderAFreeNameWhileTheCallerGoesOn) {
  test_support::WriteFile(out_.path() / "clip.mp3", "taken meanwhile");
  batch::BackgroundPlacement placing(far_.str() + "/wyl-1.mp3", "/v/clip.avi", out_.str() + "/", "mp3",
                                     out_.str() + "/clip.mp3");
  int turns = 0;
  while (!placing.Finished()) {
    ++turns;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_GT(turns, 10) << "the caller waited for the copy";
  EXPECT_EQ(placing.Error(), ERROR_SUCCESS);
  EXPECT_EQ(placing.Target(), out_.str() + "/[1]clip.mp3");
  EXPECT_EQ(fs::file_size(placing.Target()), 20u << 20);
  EXPECT_FALSE(fs::exists(far_.path() / "wyl-1.mp3"));
}

TEST_F(BackgroundPlacementTest, ACancelStopsTheCopyAndLeavesTheFileWhereItWas) {
  {
    batch::BackgroundPlacement placing(far_.str() + "/wyl-1.mp3", "/v/clip.avi", out_.str() + "/", "mp3",
                                       out_.str() + "/clip.mp3");
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    placing.Cancel();
    while (!placing.Finished()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(placing.Error(), ERROR_REQUEST_ABORTED);
  }
  {
    // Ended with the program: the destructor cancels and waits.
    batch::BackgroundPlacement placing(far_.str() + "/wyl-1.mp3", "/v/clip.avi", out_.str() + "/", "mp3",
                                       out_.str() + "/clip.mp3");
  }
  EXPECT_TRUE(fs::is_empty(out_.path()));
  EXPECT_EQ(fs::file_size(far_.path() / "wyl-1.mp3"), 20u << 20);
}

}  // namespace
