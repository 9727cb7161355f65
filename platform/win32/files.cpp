// Files and folders.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/win32/handle_table.h"
#include "platform/win32/kernel32.h"

using namespace win32::detail;

namespace {

bool EndsWithExe(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return tail == ".exe";
}

// ENOENT for a file whose folder is missing is "path not found" on Windows.
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

ssize_t WriteAll(int fd, const char* data, std::size_t size) {
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

// Copies a file into the folder of target under a private name, then links it to target without
// replacing anything there. The target appears complete or not at all.
bool CopyToNewName(const char* source, const char* target) {
  const int in = open(source, O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    win32::SetLastErrorFromErrno(errno);
    return false;
  }
  struct stat st {};
  fstat(in, &st);
  std::string temporary = std::string(target) + ".moving-XXXXXX";
  const int out = mkostemp(temporary.data(), O_CLOEXEC);
  if (out < 0) {
    SetPathError(errno, target);
    close(in);
    return false;
  }
  bool ok = true;
  int err = 0;
  char buffer[1 << 16];
  while (ok) {
    const ssize_t n = read(in, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      err = errno;
    } else if (WriteAll(out, buffer, static_cast<std::size_t>(n)) < 0) {
      ok = false;
      err = errno;
    }
  }
  if (ok && (fchmod(out, st.st_mode & 07777) != 0 || fsync(out) != 0)) {
    ok = false;
    err = errno;
  }
  if (close(out) != 0 && ok) {
    ok = false;
    err = errno;
  }
  close(in);
  if (ok && link(temporary.c_str(), target) != 0) {
    ok = false;
    err = errno;
  }
  unlink(temporary.c_str());
  if (!ok) win32::SetLastErrorFromErrno(err);
  return ok;
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD, LPSECURITY_ATTRIBUTES, DWORD creationDisposition,
                          DWORD flagsAndAttributes, HANDLE) {
  if (fileName == nullptr || *fileName == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  int flags = O_CLOEXEC;
  const bool reading = desiredAccess & GENERIC_READ;
  const bool writing = desiredAccess & GENERIC_WRITE;
  flags |= reading && writing ? O_RDWR : writing ? O_WRONLY : O_RDONLY;
  switch (creationDisposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING: flags |= O_TRUNC; break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
  }
  mode_t mode = EndsWithExe(fileName) ? 0777 : 0666;
  if (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) mode &= 0555;
  const int fd = open(fileName, flags, mode);
  if (fd < 0) {
    if (errno == EEXIST) {
      SetLastError(ERROR_FILE_EXISTS);
    } else {
      SetPathError(errno, fileName);
    }
    return INVALID_HANDLE_VALUE;
  }
  struct stat st {};
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    close(fd);
    SetLastError(ERROR_ACCESS_DENIED);  // a folder is not a file
    return INVALID_HANDLE_VALUE;
  }
  // Windows reports ERROR_ALREADY_EXISTS on success when these dispositions met an existing file.
  SetLastError(ERROR_SUCCESS);
  return InsertHandle({HandleKind::File, fd, nullptr});
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, void*) {
  if (bytesRead) *bytesRead = 0;
  std::optional<HandleObject> object = LookupHandle(file);
  if (!object || object->fd < 0 || object->kind == HandleKind::PipeWrite) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  char* out = static_cast<char*>(buffer);
  DWORD done = 0;
  while (done < bytesToRead) {
    const ssize_t n = read(object->fd, out + done, bytesToRead - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      win32::SetLastErrorFromErrno(errno);
      if (bytesRead) *bytesRead = done;
      return FALSE;
    }
    if (n == 0) {
      if (object->kind == HandleKind::PipeRead && done == 0) {
        SetLastError(ERROR_BROKEN_PIPE);
        return FALSE;
      }
      break;
    }
    done += static_cast<DWORD>(n);
    if (object->kind == HandleKind::PipeRead) break;  // a pipe read returns what has arrived
  }
  if (bytesRead) *bytesRead = done;
  return TRUE;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, void*) {
  if (bytesWritten) *bytesWritten = 0;
  std::optional<HandleObject> object = LookupHandle(file);
  if (!object || object->fd < 0 || object->kind == HandleKind::PipeRead) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const ssize_t n = WriteAll(object->fd, static_cast<const char*>(buffer), bytesToWrite);
  if (n < 0) {
    win32::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  if (bytesWritten) *bytesWritten = static_cast<DWORD>(n);
  return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE file) {
  const int fd = DescriptorOf(file);
  if (fd < 0) return FALSE;
  if (fsync(fd) != 0 && errno != EINVAL) {
    win32::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
  const int fd = DescriptorOf(file);
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0) {
    if (fd >= 0) win32::SetLastErrorFromErrno(errno);
    return INVALID_FILE_SIZE;
  }
  const auto size = static_cast<unsigned long long>(st.st_size);
  if (fileSizeHigh) *fileSizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod) {
  const int fd = DescriptorOf(file);
  if (fd < 0) return INVALID_SET_FILE_POINTER;
  long long offset = distance;
  if (distanceHigh) offset = (static_cast<long long>(*distanceHigh) << 32) | static_cast<DWORD>(distance);
  const int whence = moveMethod == FILE_CURRENT ? SEEK_CUR : moveMethod == FILE_END ? SEEK_END : SEEK_SET;
  const off_t result = lseek(fd, offset, whence);
  if (result < 0) {
    win32::SetLastErrorFromErrno(errno);
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<unsigned long long>(result) >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(result);
}

BOOL WINAPI DeleteFileA(LPCSTR fileName) {
  struct stat st {};
  if (fileName == nullptr || lstat(fileName, &st) != 0) {
    SetPathError(fileName ? errno : ENOENT, fileName ? fileName : "");
    return FALSE;
  }
  if (S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (unlink(fileName) != 0) {
    win32::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR fileName) {
  struct stat st {};
  if (fileName == nullptr || *fileName == '\0' || stat(fileName, &st) != 0) {
    SetPathError(fileName && *fileName ? errno : ENOENT, fileName ? fileName : "");
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0;
  if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) attributes |= FILE_ATTRIBUTE_DEVICE;
  if (!(st.st_mode & 0222)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

BOOL WINAPI CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES) {
  if (pathName == nullptr || mkdir(pathName, 0777) != 0) {
    if (pathName && errno == ENOENT) {
      SetLastError(ERROR_PATH_NOT_FOUND);
    } else {
      win32::SetLastErrorFromErrno(pathName ? errno : EINVAL);
    }
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR pathName) {
  if (pathName == nullptr || rmdir(pathName) != 0) {
    win32::SetLastErrorFromErrno(pathName ? errno : EINVAL);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI MoveFileA(LPCSTR existingFileName, LPCSTR newFileName) {
  struct stat st {};
  if (existingFileName == nullptr || newFileName == nullptr || lstat(existingFileName, &st) != 0) {
    SetPathError(existingFileName ? errno : ENOENT, existingFileName ? existingFileName : "");
    return FALSE;
  }
  if (renameat2(AT_FDCWD, existingFileName, AT_FDCWD, newFileName, RENAME_NOREPLACE) == 0) return TRUE;
  int err = errno;
  if (err == EINVAL && !S_ISDIR(st.st_mode)) {
    // The file system cannot rename without replacing; a hard link refuses an existing name.
    if (link(existingFileName, newFileName) == 0) {
      unlink(existingFileName);
      return TRUE;
    }
    err = errno;
  }
  if (err == EXDEV && !S_ISDIR(st.st_mode)) {
    struct stat existing {};
    if (lstat(newFileName, &existing) == 0) {
      SetLastError(ERROR_ALREADY_EXISTS);
      return FALSE;
    }
    if (!CopyToNewName(existingFileName, newFileName)) return FALSE;
    unlink(existingFileName);
    return TRUE;
  }
  if (err == EEXIST) {
    SetLastError(ERROR_ALREADY_EXISTS);
  } else {
    SetPathError(err, newFileName);
  }
  return FALSE;
}

BOOL WINAPI MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  if (!(flags & MOVEFILE_REPLACE_EXISTING)) return MoveFileA(existingFileName, newFileName);
  if (existingFileName == nullptr || newFileName == nullptr) {
    SetPathError(ENOENT, "");
    return FALSE;
  }
  if (rename(existingFileName, newFileName) == 0) return TRUE;
  SetPathError(errno, newFileName);
  return FALSE;
}
