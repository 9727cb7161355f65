// Files and folders.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/win32/handle_table.h"
#include "platform/win32/kernel32.h"
#include "platform/win32/posix_files.h"

using namespace win32::detail;

namespace {

bool EndsWithExe(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return tail == ".exe";
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
