#include "batch/temporary_output.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "platform/win32/kernel32.h"
#include "tests/support/temp_places.h"

namespace fs = std::filesystem;
using test_support::TempPlaces;
using test_support::WriteFile;

namespace {

// The id of a process that has ended (and been collected).
pid_t EndedProcessId() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

}  // namespace

TEST(TemporaryFiles, AtStartUpWhatEndedCopiesLeftGoesAndWhatRunningOnesUseStays) {
  TempPlaces places;
  char folder[MAX_PATH] = {};
  ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
  const std::string root = folder;
  const std::string ended = std::to_string(EndedProcessId());
  const std::string running = std::to_string(getppid());
  const std::string self = std::to_string(getpid());
  for (const std::string& name :
       std::vector<std::string>{"wyl-" + ended + ".mp3", "wyl-" + ended + ".mp3.Xy12ab.part", "wyl-" + ended + ".3gp",
                                "wyl-" + running + ".mp3", "wyl-" + self + ".mp3", "wyl-x.mp3", "mine.mp3"})
    WriteFile(root + name, "x");

  batch::RemoveAbandonedTemporaryFiles();
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(root))
    if (entry.is_regular_file()) left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  std::vector<std::string> expected = {"mine.mp3", "wyl-" + running + ".mp3", "wyl-" + self + ".mp3", "wyl-x.mp3"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);

  batch::RemoveTemporaryFiles();  // this copy's own, once its engine is stopped
  EXPECT_FALSE(fs::exists(root + "wyl-" + self + ".mp3"));
  EXPECT_TRUE(fs::exists(root + "wyl-" + running + ".mp3"));
}
