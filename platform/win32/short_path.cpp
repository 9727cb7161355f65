// GetShortPathNameA: a command-line-safe alias for any existing path.
//
// A path that a command line would not split or mangle is its own short form. Any other path gets
// a symbolic link in this process's folder of the user's private alias folder, named from a hash
// of the full path plus a cleaned copy of its last component (so the extension stays), and the
// alias is the short form. Each process keeps its own, so that what an ended one left can be told
// from what a running one uses.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/command_line.h"
#include "platform/win32/kernel32.h"
#include "platform/win32/places.h"

namespace {

bool NeedsAlias(const std::string& path) {
  // a leading '-' would read as an option
  return path.empty() || path.front() == '-' || !win32::IsCommandLineSafe(path);
}

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path.front() == '/') return path;
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) return path;
  return std::string(cwd) + "/" + path;
}

unsigned long long Fnv1a(const std::string& text) {
  unsigned long long hash = 1469598103934665603ULL;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ULL;
  }
  return hash;
}

// The last component with every unsafe character replaced, at most 40 characters, keeping the end
// (where the extension is).
std::string CleanName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  for (char& c : name) {
    if (!win32::IsCommandLineSafe(static_cast<unsigned char>(c)) || c == '\\') c = '_';
  }
  if (name.size() > 40) name = name.substr(name.size() - 40);
  return name.empty() ? "root" : name;
}

std::string LinkTarget(const std::string& link) {
  char target[PATH_MAX];
  const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
  return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : "";
}

// Makes alias a symbolic link to target, replacing a stale link atomically.
bool EnsureLink(const std::string& alias, const std::string& target) {
  if (LinkTarget(alias) == target) return true;
  const std::string temporary = alias + ".new" + std::to_string(getpid());
  unlink(temporary.c_str());
  if (symlink(target.c_str(), temporary.c_str()) != 0) return false;
  if (rename(temporary.c_str(), alias.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace

DWORD WINAPI GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
  if (longPath == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::string path(longPath);
  struct stat st {};
  if (path.empty() || stat(path.c_str(), &st) != 0) {
    win32::SetLastErrorFromErrno(path.empty() ? ENOENT : errno);
    return 0;
  }

  std::string result = path;
  if (NeedsAlias(path)) {
    const std::string folder = win32::ProcessAliasFolder();
    if (folder.empty()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return 0;
    }
    std::string target = AbsolutePath(path);
    const bool folderForm = target.size() > 1 && target.back() == '/';
    while (target.size() > 1 && target.back() == '/') target.pop_back();
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", Fnv1a(target));
    const std::string alias = folder + "/" + hash + "-" + CleanName(target);
    if (!EnsureLink(alias, target)) {
      win32::SetLastErrorFromErrno(errno);
      return 0;
    }
    result = folderForm ? alias + "/" : alias;
  }

  if (shortPath == nullptr || result.size() + 1 > size) return static_cast<DWORD>(result.size() + 1);
  std::memcpy(shortPath, result.c_str(), result.size() + 1);
  return static_cast<DWORD>(result.size());
}
