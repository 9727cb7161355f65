#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

#include "platform/win32/kernel32.h"
#include "platform/win32/shell32.h"
#include "tests/support/temp_places.h"

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::TempFolder;
using test_support::WriteFile;

TEST(MoveFile, NeverReplacesAnExistingTarget) {
  TempFolder folder;
  WriteFile(folder.path() / "a", "new");
  WriteFile(folder.path() / "b", "old");
  EXPECT_FALSE(MoveFileA((folder.str() + "/a").c_str(), (folder.str() + "/b").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(ReadFile(folder.path() / "b"), "old");
  EXPECT_EQ(ReadFile(folder.path() / "a"), "new");

  EXPECT_TRUE(MoveFileA((folder.str() + "/a").c_str(), (folder.str() + "/c").c_str()));
  EXPECT_FALSE(fs::exists(folder.path() / "a"));
  EXPECT_EQ(ReadFile(folder.path() / "c"), "new");
}

TEST(MoveFile, ReportsAMissingSourceOrTargetFolder) {
  TempFolder folder;
  EXPECT_FALSE(MoveFileA((folder.str() + "/missing").c_str(), (folder.str() + "/x").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  WriteFile(folder.path() / "a", "data");
  EXPECT_FALSE(MoveFileA((folder.str() + "/a").c_str(), (folder.str() + "/no/such/x").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(ReadFile(folder.path() / "a"), "data");
}

// /dev/shm is a memory file system on Linux, so a move there from the temporary folder usually
// crosses file systems.
TEST(MoveFile, MovesAFileToAnotherFileSystemByCopy) {
  TempFolder source;
  struct stat a {
  }, b{};
  if (stat("/dev/shm", &b) != 0 || access("/dev/shm", W_OK) != 0) GTEST_SKIP() << "no /dev/shm";
  stat(source.str().c_str(), &a);
  if (a.st_dev == b.st_dev) GTEST_SKIP() << "temporary folder and /dev/shm share a file system";
  std::string content(300000, 'x');
  content[12345] = '\0';
  WriteFile(source.path() / "clip.mp3", content);
  chmod((source.str() + "/clip.mp3").c_str(), 0640);
  const std::string target = "/dev/shm/sonvarra-move-test-" + std::to_string(getpid()) + ".mp3";
  unlink(target.c_str());

  ASSERT_TRUE(MoveFileA((source.str() + "/clip.mp3").c_str(), target.c_str()));
  EXPECT_EQ(ReadFile(target), content);
  EXPECT_FALSE(fs::exists(source.path() / "clip.mp3"));
  struct stat moved {};
  stat(target.c_str(), &moved);
  EXPECT_EQ(moved.st_mode & 0777, 0640u);

  WriteFile(source.path() / "again.mp3", "second");
  EXPECT_FALSE(MoveFileA((source.str() + "/again.mp3").c_str(), target.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(ReadFile(target), content);
  // No half-copied file is left next to the target.
  int leftovers = 0;
  for (const auto& entry : fs::directory_iterator("/dev/shm")) {
    if (entry.path().filename().string().rfind(".moving-" + std::to_string(getpid()), 0) == 0) ++leftovers;
  }
  EXPECT_EQ(leftovers, 0);
  unlink(target.c_str());
}

TEST(Files, CreateWriteReadAndAttributes) {
  TempFolder folder;
  const std::string exe = folder.str() + "/nnn.exe";
  HANDLE file = CreateFileA(exe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "MZ\0\x01", 4, &written, nullptr));
  EXPECT_EQ(written, 4u);
  EXPECT_EQ(GetFileSize(file, nullptr), 4u);
  CloseHandle(file);
  EXPECT_EQ(access(exe.c_str(), X_OK), 0) << "a new .exe file can be run";
  EXPECT_EQ(ReadFile(exe), std::string("MZ\0\x01", 4));

  EXPECT_EQ(CreateFileA(exe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(CreateFileA(folder.str().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateFileA((folder.str() + "/no/x").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  EXPECT_TRUE(GetFileAttributesA(folder.str().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(GetFileAttributesA(exe.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA((folder.str() + "/none").c_str()), INVALID_FILE_ATTRIBUTES);

  EXPECT_TRUE(CreateDirectoryA((folder.str() + "/sub").c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA((folder.str() + "/sub").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectoryA((folder.str() + "/a/b").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(FindFiles, ListsTheNamesThatMatchStarAndQuestionMarkAndNothingElseIsSpecial) {
  TempFolder folder;
  for (const char* name : {"[1]clip.mp3", "clip.mp3", "clip.mp3.Ab12Cd.part", "Clip.mp3", "noext"})
    WriteFile(folder.path() / name, "x");
  fs::create_directory(folder.path() / "sub.mp3");
  mkfifo((folder.str() + "/pipe").c_str(), 0600);
  auto find = [&](const std::string& pattern) {
    std::vector<std::pair<std::string, DWORD>> found;
    WIN32_FIND_DATAA data{};
    const HANDLE search = FindFirstFileA((folder.str() + "/" + pattern).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do found.emplace_back(data.cFileName, data.dwFileAttributes);
    while (FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(search));
    std::sort(found.begin(), found.end());
    return found;
  };
  using Found = std::vector<std::pair<std::string, DWORD>>;
  EXPECT_EQ(find("[1]*"), (Found{{"[1]clip.mp3", FILE_ATTRIBUTE_NORMAL}}));
  EXPECT_EQ(find("clip.mp3*"),
            (Found{{"clip.mp3", FILE_ATTRIBUTE_NORMAL}, {"clip.mp3.Ab12Cd.part", FILE_ATTRIBUTE_NORMAL}}));
  EXPECT_EQ(find("?lip.mp3"), (Found{{"Clip.mp3", FILE_ATTRIBUTE_NORMAL}, {"clip.mp3", FILE_ATTRIBUTE_NORMAL}}));
  EXPECT_EQ(find("*.mp3").size(), 4u);  // the folder too
  EXPECT_EQ(find("*.*").size(), 9u) << "every name, with \".\" and \"..\"";
  EXPECT_EQ(find("pipe"), (Found{{"pipe", FILE_ATTRIBUTE_DEVICE}}));
  EXPECT_EQ(GetFileAttributesA((folder.str() + "/pipe").c_str()), FILE_ATTRIBUTE_DEVICE);

  WIN32_FIND_DATAA data{};
  EXPECT_EQ(FindFirstFileA((folder.str() + "/nothing*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFileA((folder.str() + "/missing/*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  // One name alone, a link to nothing too.
  fs::create_symlink(folder.str() + "/nowhere", folder.path() / "dangling");
  EXPECT_EQ(find("dangling").size(), 1u);
  EXPECT_EQ(GetFileAttributesA((folder.str() + "/dangling").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(FindFirstFileA((folder.str() + "/none.mp3").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFileA((folder.str() + "/missing/none.mp3").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(FullPathName, ResolvesFromTheCurrentFolderByNameAlone) {
  TempFolder folder;
  const fs::path before = fs::current_path();
  fs::current_path(folder.path());
  auto full = [](const char* name) {
    char buffer[MAX_PATH];
    LPSTR part = nullptr;
    const DWORD n = GetFullPathNameA(name, sizeof buffer, buffer, &part);
    return n == 0 || n >= sizeof buffer ? std::string("failed") : std::string(buffer) + "|" + (part ? part : "-");
  };
  const std::string here = fs::current_path().string();
  EXPECT_EQ(full("clip.avi"), here + "/clip.avi|clip.avi");  // need not exist
  EXPECT_EQ(full("./a//b/../c.avi"), here + "/a/c.avi|c.avi");
  EXPECT_EQ(full("sub/"), here + "/sub/|-");
  EXPECT_EQ(full("/x/./y/../../../z"), "/z|z");
  EXPECT_EQ(full("/"), "/|-");
  EXPECT_EQ(full(""), "failed");
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
  char small[4];
  EXPECT_EQ(GetFullPathNameA("/abcdef", sizeof small, small, nullptr), 8u) << "the size needed, with the NUL";
  fs::current_path(before);
}

TEST(SpecialFolders, ApplicationDataIsTheUsersConfigurationFolder) {
  TempFolder folder;
  test_support::ScopedEnvironment environment;
  char path[MAX_PATH] = {};
  environment.Set("XDG_CONFIG_HOME", folder.str() + "/config/");
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, FALSE));
  EXPECT_EQ(std::string(path), folder.str() + "/config");
  EXPECT_FALSE(fs::exists(path)) << "only asked for";
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, TRUE));
  EXPECT_TRUE(fs::is_directory(path));

  // Unset, or not given from the root: the folder in the home folder.
  environment.Set("HOME", folder.str() + "/home");
  for (const char* value : {"", "relative/config"}) {
    environment.Set("XDG_CONFIG_HOME", value);
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, FALSE));
    EXPECT_EQ(std::string(path), folder.str() + "/home/.config") << value;
  }
  EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, 0x0005 /* CSIDL_PERSONAL */, FALSE));
  environment.Set("XDG_CONFIG_HOME", "/" + std::string(MAX_PATH, 'x'));
  EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, FALSE)) << "longer than the buffer";
}

TEST(SpecialFolders, TheProfileIsTheHomeFolderAndTemporaryFilesHaveTheirOwnFolder) {
  test_support::TempPlaces places;
  char path[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_PROFILE, FALSE));
  EXPECT_EQ(std::string(path), places.HomeDir());

  const std::string temporary = places.TempDir() + "/";
  EXPECT_EQ(GetTempPathA(MAX_PATH, path), temporary.size());
  EXPECT_EQ(std::string(path), temporary);
  EXPECT_TRUE(fs::is_directory(path));
  char small[4];
  EXPECT_EQ(GetTempPathA(sizeof small, small), temporary.size() + 1) << "the size needed, with the NUL";
}
