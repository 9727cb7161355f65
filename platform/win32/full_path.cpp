// GetFullPathNameA: a path given from the current folder, made absolute without looking at the disk.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/kernel32.h"

namespace {

// "." and ".." are resolved by the names alone, as Windows does; ".." at the root stays there.
std::string Normalised(const std::string& absolute) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= absolute.size()) {
    std::size_t slash = absolute.find('/', start);
    if (slash == std::string::npos) slash = absolute.size();
    const std::string part = absolute.substr(start, slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  std::string path;
  for (const std::string& part : parts) path += "/" + part;
  if (path.empty() || absolute.back() == '/') path += '/';
  return path;
}

}  // namespace

DWORD WINAPI GetFullPathNameA(LPCSTR fileName, DWORD size, LPSTR buffer, LPSTR* filePart) {
  if (filePart) *filePart = nullptr;
  if (fileName == nullptr || *fileName == '\0') {
    SetLastError(ERROR_INVALID_NAME);
    return 0;
  }
  std::string path(fileName);
  if (path.front() != '/') {
    std::vector<char> folder(4096);
    while (getcwd(folder.data(), folder.size()) == nullptr) {
      if (errno != ERANGE) {
        win32::SetLastErrorFromErrno(errno);
        return 0;
      }
      folder.resize(folder.size() * 2);
    }
    path = std::string(folder.data()) + "/" + path;
  }
  path = Normalised(path);
  if (buffer == nullptr || path.size() + 1 > size) return static_cast<DWORD>(path.size() + 1);
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  if (filePart && path.back() != '/') *filePart = buffer + path.rfind('/') + 1;
  return static_cast<DWORD>(path.size());
}
