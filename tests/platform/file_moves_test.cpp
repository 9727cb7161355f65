// Moves onto file systems that lack hard links, modes and renames without replacing: acted out by
// replacing the stand-in's system calls, and on a real FAT file system mounted through FUSE.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/win32/kernel32.h"
#include "platform/win32/posix_files.h"
#include "tests/support/fat_mount.h"
#include "tests/support/temp_places.h"

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::TempFolder;
using test_support::WriteFile;
using win32::detail::FileSystem;
using win32::detail::FileSystemCalls;

namespace {

// Renames from this folder act as if they crossed to another file system.
std::string farFolder;

int RefuseLink(const char*, const char*) {
  errno = EPERM;  // what FAT says to a hard link
  return -1;
}

int RenameWithoutNoReplace(const char* from, const char*) {
  errno = !farFolder.empty() && std::string(from).rfind(farFolder, 0) == 0 ? EXDEV : EINVAL;
  return -1;
}

// While it lives, the file system acts like FAT through FUSE.
class LikeFat {
 public:
  explicit LikeFat(const std::string& far = "") : saved_(FileSystem()) {
    farFolder = far;
    FileSystem().renameNoReplace = RenameWithoutNoReplace;
    FileSystem().link = RefuseLink;
  }
  LikeFat(const LikeFat&) = delete;
  LikeFat& operator=(const LikeFat&) = delete;
  ~LikeFat() {
    FileSystem() = saved_;
    farFolder.clear();
  }

 private:
  FileSystemCalls saved_;
};

// The names in a folder, hidden ones too.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(MoveFileWithoutLinks, RenamesAndCopiesWithoutReplacingAnythingNotEvenADanglingLink) {
  TempFolder far, near;
  LikeFat fat(far.str() + "/");
  for (const bool crossing : {false, true}) {
    SCOPED_TRACE(crossing ? "to another file system" : "within one file system");
    const std::string from = (crossing ? far.str() : near.str()) + "/clip.mp3";
    const std::string to = near.str() + (crossing ? "/far.mp3" : "/near.mp3");
    WriteFile(from, "converted");
    chmod(from.c_str(), 0640);
    ASSERT_TRUE(MoveFileA(from.c_str(), to.c_str())) << GetLastError();
    EXPECT_EQ(ReadFile(to), "converted");
    EXPECT_FALSE(fs::exists(from));
    struct stat moved {};
    stat(to.c_str(), &moved);
    EXPECT_EQ(moved.st_mode & 0777, 0640u) << "the mode, without changing it afterwards";

    WriteFile(from, "second");
    EXPECT_FALSE(MoveFileA(from.c_str(), to.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    fs::create_symlink(near.str() + "/gone", near.str() + "/link.mp3");
    EXPECT_FALSE(MoveFileA(from.c_str(), (near.str() + "/link.mp3").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(fs::is_symlink(near.str() + "/link.mp3"));
    EXPECT_EQ(ReadFile(to), "converted");
    EXPECT_EQ(ReadFile(from), "second");
    fs::remove(near.str() + "/link.mp3");
    fs::remove(from);
  }
  EXPECT_EQ(Names(near.str()), (Strings{"far.mp3", "near.mp3"})) << "no reservation or copy left";

  // The engine's folder takes its place as a whole, and never over another.
  fs::create_directory(near.str() + "/staging");
  WriteFile(near.str() + "/staging/nnn.exe", "engine");
  ASSERT_TRUE(MoveFileA((near.str() + "/staging").c_str(), (near.str() + "/wyl").c_str()));
  EXPECT_EQ(ReadFile(near.str() + "/wyl/nnn.exe"), "engine");
  fs::create_directory(near.str() + "/staging");
  EXPECT_FALSE(MoveFileA((near.str() + "/staging").c_str(), (near.str() + "/wyl").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
}

TEST(MoveFileWithProgress, ACancelledCopyLeavesTheSourceAndNoPartOfTheTarget) {
  TempFolder far, near;
  LikeFat fat(far.str() + "/");
  const std::string from = far.str() + "/big.wav", to = near.str() + "/big.wav";
  WriteFile(from, std::string(5 << 20, 'w'));
  struct Seen {
    int calls = 0;
    long long last = -1;
  } seen;
  auto stopAfterTwoChunks = [](LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                               DWORD reason, HANDLE, HANDLE, LPVOID data) -> DWORD {
    auto& s = *static_cast<Seen*>(data);
    EXPECT_EQ(total.QuadPart, 5 << 20);
    EXPECT_EQ(reason, s.calls == 0 ? CALLBACK_STREAM_SWITCH : CALLBACK_CHUNK_FINISHED);
    EXPECT_GT(done.QuadPart, s.last);
    s.last = done.QuadPart;
    return ++s.calls == 3 ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
  };
  EXPECT_FALSE(MoveFileWithProgressA(from.c_str(), to.c_str(), stopAfterTwoChunks, &seen, MOVEFILE_COPY_ALLOWED));
  EXPECT_EQ(GetLastError(), ERROR_REQUEST_ABORTED);
  EXPECT_EQ(seen.calls, 3);
  EXPECT_TRUE(Names(near.str()).empty());
  EXPECT_EQ(fs::file_size(from), 5u << 20);

  EXPECT_FALSE(MoveFileExA(from.c_str(), to.c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SAME_DEVICE) << "copying was not allowed";
  EXPECT_TRUE(MoveFileWithProgressA(from.c_str(), to.c_str(), nullptr, nullptr, MOVEFILE_COPY_ALLOWED));
  EXPECT_EQ(fs::file_size(to), 5u << 20);
}

TEST(MoveFileOntoFat, AFatFileSystemThroughFuseTakesTheFileAndNeverLosesAnExistingOne) {
  test_support::FatMount fat;
  if (!fat.Missing().empty()) GTEST_SKIP() << fat.Missing();
  TempFolder here;
  const std::string stick = fat.Path() + "/";
  WriteFile(here.str() + "/clip.mp3", std::string(3 << 20, 'a'));
  ASSERT_TRUE(MoveFileA((here.str() + "/clip.mp3").c_str(), (stick + "clip.mp3").c_str())) << GetLastError();
  EXPECT_EQ(ReadFile(stick + "clip.mp3"), std::string(3 << 20, 'a'));
  EXPECT_FALSE(fs::exists(here.str() + "/clip.mp3"));

  WriteFile(here.str() + "/other.mp3", "other");
  EXPECT_FALSE(MoveFileA((here.str() + "/other.mp3").c_str(), (stick + "CLIP.MP3").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS) << "FAT knows no letter case";
  ASSERT_TRUE(MoveFileA((here.str() + "/other.mp3").c_str(), (stick + "other.mp3").c_str()));
  // Within the stick: no rename without replacing, no links.
  EXPECT_FALSE(MoveFileA((stick + "other.mp3").c_str(), (stick + "clip.mp3").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  ASSERT_TRUE(MoveFileA((stick + "other.mp3").c_str(), (stick + "renamed.mp3").c_str()));
  EXPECT_EQ(ReadFile(stick + "renamed.mp3"), "other");
  EXPECT_EQ(ReadFile(stick + "clip.mp3"), std::string(3 << 20, 'a'));
  EXPECT_EQ(Names(fat.Path()), (Strings{"clip.mp3", "renamed.mp3"}));
}
