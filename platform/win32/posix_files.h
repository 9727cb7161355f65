// Internal: the POSIX file calls behind the file functions. The calls whose support differs between
// file systems go through a table that tests replace, to act out file systems this machine lacks
// (no hard links, no rename without replacing) or slow disks.
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace win32::detail {

struct FileSystemCalls {
  int (*renameNoReplace)(const char* from, const char* to);  // renameat2 with RENAME_NOREPLACE
  int (*link)(const char* from, const char* to);
  ssize_t (*write)(int fd, const void* data, std::size_t size);  // every write of file data
};

// The calls in use; the system's own unless a test has put others in.
FileSystemCalls& FileSystem();

// Writes everything, resuming after interruptions; -1 with errno on failure.
ssize_t WriteAll(int fd, const char* data, std::size_t size);

// Sets the last error for a failed call on path: ENOENT for a file whose folder is missing is
// ERROR_PATH_NOT_FOUND, as on Windows.
void SetPathError(int err, const char* path);

}  // namespace win32::detail
