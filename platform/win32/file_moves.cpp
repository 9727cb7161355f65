// MoveFileA, MoveFileExA, MoveFileWithProgressA: renames that never replace unless asked to, and
// moves to another file system by copy.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/win32/kernel32.h"
#include "platform/win32/posix_files.h"

using namespace win32::detail;

namespace {

constexpr std::size_t kCopyChunk = 1 << 20;
// A copy is pushed to the disk at least this often, so that neither its end nor a cancel waits
// for everything a slow disk has not yet taken.
constexpr long long kFlushEvery = 8ll << 20;

// An error that only says the file system keeps no promises about durability.
bool CannotSync(int err) { return err == EINVAL || err == ENOTSUP || err == ENOSYS || err == EROFS; }

bool SamePlace(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Creates an empty file or folder of that name as a reservation; -1 with errno when it exists.
int Reserve(const char* name, bool folder, struct stat& reserved) {
  if (folder) {
    if (mkdir(name, 0700) != 0) return -1;
    return lstat(name, &reserved);
  }
  const int fd = open(name, O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  const int result = fstat(fd, &reserved);
  close(fd);
  return result;
}

// Gives the name `to` to `from` unless something has it; 0 or the errno. A file system that cannot
// rename without replacing (EINVAL) gets a hard link, and one without those (FAT, exFAT, FUSE)
// a reservation that the rename then takes over: only our own empty entry is ever replaced.
int PlaceWithoutReplacing(const char* from, const char* to, bool folder) {
  const FileSystemCalls& calls = FileSystem();
  if (calls.renameNoReplace(from, to) == 0) return 0;
  if (errno != EINVAL) return errno;
  if (!folder) {
    if (calls.link(from, to) == 0) {
      unlink(from);
      return 0;
    }
    if (errno == EEXIST) return EEXIST;
  }
  struct stat reserved {};
  if (Reserve(to, folder, reserved) != 0) return errno;
  if (rename(from, to) == 0) return 0;
  const int err = errno;
  struct stat now {};
  if (lstat(to, &now) == 0 && SamePlace(now, reserved)) {
    if (folder) {
      rmdir(to);
    } else {
      unlink(to);
    }
  }
  return err;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A new file beside `target` under a short private name (so that it fits wherever the target
// does), with the mode of the file it will copy.
int CreateBeside(const std::string& target, mode_t mode, std::string& name) {
  static std::atomic<unsigned> serial{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = FolderOf(target) + ".moving-" + std::to_string(getpid()) + "-" + std::to_string(++serial);
    const int fd = open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode & 0777);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

LARGE_INTEGER Large(long long value) {
  LARGE_INTEGER large{};
  large.QuadPart = value;
  return large;
}

// Copies everything from `in` to `out`; 0, the errno, or ECANCELED when the routine said stop.
int CopyContent(int in, int out, long long size, LPPROGRESS_ROUTINE progress, LPVOID data) {
  auto report = [&](long long done, DWORD reason) {
    if (progress == nullptr) return PROGRESS_CONTINUE;
    const DWORD answer =
        progress(Large(size), Large(done), Large(size), Large(done), 1, reason, nullptr, nullptr, data);
    if (answer == PROGRESS_QUIET) progress = nullptr;
    return answer;
  };
  DWORD answer = report(0, CALLBACK_STREAM_SWITCH);
  std::vector<char> buffer(kCopyChunk);
  long long done = 0, flushed = 0;
  while (answer != PROGRESS_CANCEL && answer != PROGRESS_STOP) {
    const ssize_t n = read(in, buffer.data(), buffer.size());
    if (n == 0) return 0;
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (WriteAll(out, buffer.data(), static_cast<std::size_t>(n)) < 0) return errno;
    done += n;
    if (done - flushed >= kFlushEvery) {
      if (fdatasync(out) != 0 && !CannotSync(errno)) return errno;
      flushed = done;
    }
    answer = report(done, CALLBACK_CHUNK_FINISHED);
  }
  return ECANCELED;
}

// The move to another file system: a copy under a private name beside the target, on the disk
// before it takes the target's name. 0 or the errno (ECANCELED: the routine stopped it).
int MoveByCopy(const char* source, const char* target, bool replace, LPPROGRESS_ROUTINE progress, LPVOID data) {
  struct stat existing {};
  if (!replace && lstat(target, &existing) == 0) return EEXIST;
  const int in = open(source, O_RDONLY | O_CLOEXEC);
  if (in < 0) return errno;
  struct stat st {};
  fstat(in, &st);
  std::string copy;
  const int out = CreateBeside(target, st.st_mode, copy);
  if (out < 0) {
    const int err = errno;
    close(in);
    return err;
  }
  int err = CopyContent(in, out, st.st_size, progress, data);
  close(in);
  if (err == 0 && fsync(out) != 0 && !CannotSync(errno)) err = errno;
  if (close(out) != 0 && err == 0) err = errno;
  if (err == 0) {
    err =
        replace ? (rename(copy.c_str(), target) == 0 ? 0 : errno) : PlaceWithoutReplacing(copy.c_str(), target, false);
  }
  if (err != 0) {
    unlink(copy.c_str());
    return err;
  }
  unlink(source);
  return 0;
}

}  // namespace

BOOL WINAPI MoveFileWithProgressA(LPCSTR existingFileName, LPCSTR newFileName, LPPROGRESS_ROUTINE progressRoutine,
                                  LPVOID data, DWORD flags) {
  struct stat st {};
  if (existingFileName == nullptr || newFileName == nullptr || lstat(existingFileName, &st) != 0) {
    SetPathError(existingFileName ? errno : ENOENT, existingFileName ? existingFileName : "");
    return FALSE;
  }
  const bool folder = S_ISDIR(st.st_mode);
  const bool replace = flags & MOVEFILE_REPLACE_EXISTING;
  int err = replace ? (rename(existingFileName, newFileName) == 0 ? 0 : errno)
                    : PlaceWithoutReplacing(existingFileName, newFileName, folder);
  if (err == EXDEV && !folder) {
    if (!(flags & MOVEFILE_COPY_ALLOWED)) {
      SetLastError(ERROR_NOT_SAME_DEVICE);
      return FALSE;
    }
    err = MoveByCopy(existingFileName, newFileName, replace, progressRoutine, data);
  }
  if (err == 0) return TRUE;
  if (err == EEXIST) {
    SetLastError(ERROR_ALREADY_EXISTS);
  } else if (err == ECANCELED) {
    SetLastError(ERROR_REQUEST_ABORTED);
  } else {
    SetPathError(err, newFileName);
  }
  return FALSE;
}

BOOL WINAPI MoveFileA(LPCSTR existingFileName, LPCSTR newFileName) {
  return MoveFileWithProgressA(existingFileName, newFileName, nullptr, nullptr, MOVEFILE_COPY_ALLOWED);
}

BOOL WINAPI MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  return MoveFileWithProgressA(existingFileName, newFileName, nullptr, nullptr, flags);
}
