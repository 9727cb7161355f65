// GetVolumePathNameA, GetVolumeInformationA: the file system that holds a path.
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/win32/kernel32.h"
#include "platform/win32/posix_files.h"

namespace {

// The longest name that every file system here takes, in bytes.
constexpr DWORD kLongestPortableName = 255;

std::string Parent(const std::string& path) {
  const std::size_t slash = path.find_last_of('/', path.size() > 1 ? path.size() - 2 : 0);
  return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

std::string Absolute(const std::string& path) {
  if (!path.empty() && path.front() == '/') return path;
  char here[4096];
  return getcwd(here, sizeof here) ? std::string(here) + "/" + path : "/" + path;
}

}  // namespace

BOOL WINAPI GetVolumePathNameA(LPCSTR fileName, LPSTR volumePathName, DWORD bufferLength) {
  if (fileName == nullptr || *fileName == '\0' || volumePathName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string path = Absolute(fileName);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  struct stat st {};
  while (stat(path.c_str(), &st) != 0 && path != "/") path = Parent(path);
  // Up the folders while the parent lies on the same file system.
  for (struct stat parent{}; path != "/"; path = Parent(path)) {
    if (stat(Parent(path).c_str(), &parent) != 0 || parent.st_dev != st.st_dev) break;
  }
  if (path != "/") path += '/';
  if (path.size() + 1 > bufferLength) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return FALSE;
  }
  std::memcpy(volumePathName, path.c_str(), path.size() + 1);
  return TRUE;
}

BOOL WINAPI GetVolumeInformationA(LPCSTR rootPathName, LPSTR volumeNameBuffer, DWORD volumeNameSize,
                                  LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength, LPDWORD fileSystemFlags,
                                  LPSTR fileSystemNameBuffer, DWORD fileSystemNameSize) {
  struct statvfs volume {};
  if (rootPathName == nullptr || statvfs(rootPathName, &volume) != 0) {
    win32::detail::SetPathError(rootPathName ? errno : ENOENT, rootPathName ? rootPathName : "");
    return FALSE;
  }
  if (volumeNameBuffer != nullptr && volumeNameSize > 0) *volumeNameBuffer = '\0';
  if (fileSystemNameBuffer != nullptr && fileSystemNameSize > 0) *fileSystemNameBuffer = '\0';
  if (volumeSerialNumber != nullptr) *volumeSerialNumber = 0;
  if (fileSystemFlags != nullptr) *fileSystemFlags = 0;
  if (maximumComponentLength != nullptr) {
    const unsigned long longest = volume.f_namemax > 0 ? volume.f_namemax : kLongestPortableName;
    *maximumComponentLength = static_cast<DWORD>(std::min<unsigned long>(longest, kLongestPortableName));
  }
  return TRUE;
}
