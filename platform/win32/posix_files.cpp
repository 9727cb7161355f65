#include "platform/win32/posix_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/win32/kernel32.h"

namespace win32::detail {
namespace {

int RenameNoReplace(const char* from, const char* to) {
  return renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

}  // namespace

FileSystemCalls& FileSystem() {
  static FileSystemCalls calls{RenameNoReplace, ::link, ::write};
  return calls;
}

ssize_t WriteAll(int fd, const char* data, std::size_t size) {
  const auto write = FileSystem().write;
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = write(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    done += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

void SetPathError(int err, const char* path) {
  if (err == ENOENT) {
    std::string folder(path);
    const std::size_t slash = folder.find_last_of("/\\");
    folder = slash == std::string::npos ? "." : folder.substr(0, slash == 0 ? 1 : slash);
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0) {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return;
    }
  }
  win32::SetLastErrorFromErrno(err);
}

}  // namespace win32::detail
