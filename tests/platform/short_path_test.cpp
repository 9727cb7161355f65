#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/win32/command_line.h"
#include "platform/win32/kernel32.h"
#include "platform/win32/places.h"
#include "process_helpers.h"
#include "tests/support/temp_places.h"

namespace fs = std::filesystem;
using test_support::TempPlaces;

namespace {

std::string ShortForm(const std::string& path) {
  char buffer[512];
  const DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_ino == sb.st_ino && sa.st_dev == sb.st_dev;
}

// What a command line that holds the path unquoted would give back.
std::string AfterSplit(const std::string& path) { return win32::SplitCommandLine("prog " + path + " next").at(1); }

}  // namespace

TEST(ShortPath, APathWithoutTroublesomeCharactersIsItsOwnShortForm) {
  TempPlaces places;
  const std::string file = places.HomeDir() + "/clip_1.avi";
  test_support::WriteFile(file, "x");
  EXPECT_EQ(ShortForm(file), file);
  EXPECT_EQ(ShortForm(places.HomeDir() + "/"), places.HomeDir() + "/");
}

TEST(ShortPath, OtherPathsGetAnAliasThatSurvivesTheCommandLine) {
  TempPlaces places;
  fs::create_directories(places.HomeDir() + "/Mes vidéos/été 2026");
  for (const std::string name : {"a;rm -rf x $(id) \"q\".avi", "clip one.mkv", "ß.mp4", "-starts-with-dash.avi"}) {
    const std::string file = places.HomeDir() + "/Mes vidéos/été 2026/" + name;
    test_support::WriteFile(file, name);
    const std::string alias = ShortForm(file);
    ASSERT_FALSE(alias.empty()) << name;
    EXPECT_EQ(AfterSplit(alias), alias) << name;
    for (unsigned char c : alias) EXPECT_TRUE(c > ' ' && c < 0x7F && c != '"') << alias;
    EXPECT_TRUE(SameFile(alias, file)) << name;
    EXPECT_EQ(fs::path(alias).extension(), fs::path(file).extension()) << name;
    EXPECT_EQ(ShortForm(file), alias) << "the alias is stable";
  }
}

TEST(ShortPath, AFolderKeepsItsTrailingDelimiterAndResolvesBelow) {
  TempPlaces places;
  const std::string folder = places.WindowsDir() + "/with blank/wyl/";
  fs::create_directories(folder);
  test_support::WriteFile(folder + "nnn.exe", "engine");
  const std::string alias = ShortForm(folder);
  ASSERT_FALSE(alias.empty());
  EXPECT_EQ(alias.back(), '/');
  EXPECT_EQ(alias.find(' '), std::string::npos);
  EXPECT_EQ(test_support::ReadFile(alias + "nnn.exe"), "engine");
}

TEST(ShortPath, MissingPathsAndSmallBuffers) {
  TempPlaces places;
  char buffer[8];
  EXPECT_EQ(GetShortPathNameA((places.HomeDir() + "/missing file").c_str(), buffer, sizeof buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  const std::string file = places.HomeDir() + "/long_enough_name.avi";
  test_support::WriteFile(file, "x");
  EXPECT_EQ(GetShortPathNameA(file.c_str(), buffer, sizeof buffer), file.size() + 1) << "the size it needs";
}

TEST(ShortPath, TheFirstAliasOfAProcessClearsAwayTheAliasesOfProcessesThatHaveEnded) {
  TempPlaces places;
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  const std::string aliases = win32::AliasFolder();
  for (const std::string& owner : {std::to_string(child), std::to_string(getppid())}) {
    fs::create_directories(aliases + "/" + owner);
    fs::create_symlink(places.HomeDir(), aliases + "/" + owner + "/0123-home");
  }
  const std::string file = places.HomeDir() + "/clip one.mkv";
  test_support::WriteFile(file, "x");
  ASSERT_FALSE(ShortForm(file).empty());
  EXPECT_FALSE(fs::exists(aliases + "/" + std::to_string(child))) << "an ended process's";
  EXPECT_TRUE(fs::is_symlink(aliases + "/" + std::to_string(getppid()) + "/0123-home")) << "a running one's";
}

TEST(ShortPath, TheAliasesOfAProcessGoWhenItEnds) {
  TempPlaces places;
  const std::string file = places.HomeDir() + "/clip one.avi";
  test_support::WriteFile(file, "x");
  PipedChild owner(std::string(SONVARRA_PROCESS_OWNER) + " alias \"" + file + "\"");
  ASSERT_TRUE(owner.started);
  ASSERT_EQ(owner.WaitForExit(), WAIT_OBJECT_0);
  const std::string printed = owner.ReadAvailable();
  ASSERT_EQ(printed.rfind("alias ", 0), 0u) << printed;
  const fs::path alias = printed.substr(6, printed.find('\n') - 6);
  EXPECT_NE(alias.string(), file);
  EXPECT_FALSE(fs::exists(fs::symlink_status(alias))) << alias;
  EXPECT_FALSE(fs::exists(alias.parent_path())) << "its folder stayed";
  EXPECT_TRUE(fs::exists(file));
}
