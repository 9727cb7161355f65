// Fixed Windows locations mapped to per-user places, and the program's own module.
#include "platform/win32/places.h"

#include <dirent.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/win32/command_line.h"
#include "platform/win32/kernel32.h"
#include "platform/win32/shell32.h"

namespace win32 {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string HomeFolder() {
  std::string home = Environment("HOME");
  if (home.empty()) {
    if (const passwd* entry = getpwuid(getuid())) home = entry->pw_dir;
  }
  return home.empty() ? "/tmp" : home;
}

std::string WithoutTrailingDelimiter(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string WithTrailingDelimiter(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string ConfiguredFolder(const char* variable, const char* xdgVariable, const char* xdgDefault) {
  std::string folder = Environment(variable);
  if (folder.empty()) {
    const std::string xdg = Environment(xdgVariable);
    folder = (xdg.empty() ? HomeFolder() + xdgDefault : xdg) + "/sonvarra";
  }
  return WithoutTrailingDelimiter(folder);
}

// A folder that only this user can reach: created if missing, refused if it is anything else.
bool IsPrivateFolder(const std::string& path) {
  mkdir(path.c_str(), 0700);
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() && (st.st_mode & 077) == 0;
}

}  // namespace

// Like "mkdir -p"; failures show later, when the folder is used.
void MakeFolders(const std::string& path) {
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0700);
  }
}

std::string WindowsDirectory() {
  const std::string folder = ConfiguredFolder("SONVARRA_WINDOWS_DIR", "XDG_DATA_HOME", "/.local/share");
  MakeFolders(folder);  // the Windows directory always exists
  return folder;
}

std::string TemporaryRoot() {
  const std::string folder = ConfiguredFolder("SONVARRA_TEMP_DIR", "XDG_CACHE_HOME", "/.cache");
  MakeFolders(folder);
  return WithTrailingDelimiter(folder);
}

std::string DefaultRoot() {
  const std::string folder = Environment("SONVARRA_HOME_DIR");
  return WithTrailingDelimiter(WithoutTrailingDelimiter(folder.empty() ? HomeFolder() : folder));
}

std::string ApplicationDataFolder() {
  const std::string xdg = Environment("XDG_CONFIG_HOME");
  // A relative value is to be ignored, as the base directory rules say.
  return WithoutTrailingDelimiter(!xdg.empty() && xdg.front() == '/' ? xdg : HomeFolder() + "/.config");
}

std::string AliasFolder() {
  const std::string underTemp = TemporaryRoot() + "short";
  if (IsCommandLineSafe(underTemp) && IsPrivateFolder(underTemp)) return underTemp;
  const std::string shared = "/tmp/sonvarra-short-" + std::to_string(getuid());
  if (IsPrivateFolder(shared)) return shared;
  return "";
}

namespace {

// Removes a folder of aliases with the links in it.
void RemoveAliasFolder(const std::string& path) {
  if (DIR* aliases = opendir(path.c_str())) {
    while (const dirent* entry = readdir(aliases)) {
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
        unlink((path + "/" + entry->d_name).c_str());
    }
    closedir(aliases);
  }
  rmdir(path.c_str());
}

// The alias folders this process made; they go with their aliases when it ends normally. One
// that is killed leaves them to a later start's sweep.
class OwnAliasFolders {
 public:
  static OwnAliasFolders& Instance() {
    static OwnAliasFolders folders;
    // Registered once the folders are complete, so that it runs before they are destroyed.
    [[maybe_unused]] static const int registered = std::atexit([] { Instance().RemoveAll(); });
    return folders;
  }
  void Add(const std::string& path) {
    std::lock_guard lock(mutex_);
    const Made made{path, getpid()};
    if (std::find(made_.begin(), made_.end(), made) == made_.end()) made_.push_back(made);
  }

 private:
  OwnAliasFolders() = default;
  void RemoveAll() {
    std::lock_guard lock(mutex_);
    // A forked copy that ends does not take its parent's aliases with it.
    for (const Made& made : made_)
      if (made.by == getpid()) RemoveAliasFolder(made.path);
    made_.clear();
  }
  struct Made {
    std::string path;
    pid_t by;
    bool operator==(const Made&) const = default;
  };
  std::mutex mutex_;
  std::vector<Made> made_;
};

}  // namespace

std::string ProcessAliasFolder() {
  const std::string folder = AliasFolder();
  if (folder.empty()) return "";
  const std::string own = folder + "/" + std::to_string(getpid());
  struct stat existing {};
  // The first alias of this process clears away those of copies that have ended.
  if (lstat(own.c_str(), &existing) != 0) RemoveAbandonedAliases();
  if (!IsPrivateFolder(own)) return "";
  OwnAliasFolders::Instance().Add(own);
  return own;
}

void RemoveAbandonedAliases() {
  const std::string folder = AliasFolder();
  DIR* dir = folder.empty() ? nullptr : opendir(folder.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> abandoned;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos || name.size() > 9) continue;
    const pid_t pid = static_cast<pid_t>(std::stol(name));
    // EPERM: a process of another user has that id now; it may be a copy of ours.
    if (pid > 0 && kill(pid, 0) != 0 && errno == ESRCH) abandoned.push_back(folder + "/" + name);
  }
  closedir(dir);
  for (const std::string& path : abandoned) RemoveAliasFolder(path);
}

}  // namespace win32

namespace {

// Copies text into a caller's buffer the way the directory functions do: the length without the
// NUL when it fits, otherwise the size needed including the NUL.
UINT CopyOut(const std::string& text, LPSTR buffer, UINT size) {
  if (buffer == nullptr || text.size() + 1 > size) return static_cast<UINT>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<UINT>(text.size());
}

HMODULE const kOwnModule = reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x400000));

}  // namespace

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size) { return CopyOut(win32::WindowsDirectory(), buffer, size); }

DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer) { return CopyOut(win32::TemporaryRoot(), buffer, size); }

BOOL WINAPI SHGetSpecialFolderPathA(HWND, LPSTR path, int folder, BOOL create) {
  if (path == nullptr || (folder != CSIDL_APPDATA && folder != CSIDL_PROFILE)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string found =
      folder == CSIDL_APPDATA ? win32::ApplicationDataFolder() : win32::WithoutTrailingDelimiter(win32::DefaultRoot());
  if (found.size() >= MAX_PATH) {  // the caller's buffer holds MAX_PATH characters
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return FALSE;
  }
  if (create) win32::MakeFolders(found);
  std::memcpy(path, found.c_str(), found.size() + 1);
  return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  if (moduleName == nullptr) return kOwnModule;
  SetLastError(126);  // ERROR_MOD_NOT_FOUND: only the program's own module is known
  return nullptr;
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  if (module != nullptr && module != kOwnModule) {
    SetLastError(126);
    return 0;
  }
  const char* moved = std::getenv("SONVARRA_MODULE_PATH");
  std::string path = moved ? moved : "";
  if (path.empty()) {
    char resolved[4096];
    const ssize_t n = readlink("/proc/self/exe", resolved, sizeof resolved - 1);
    if (n <= 0) {
      win32::SetLastErrorFromErrno(errno);
      return 0;
    }
    path.assign(resolved, static_cast<std::size_t>(n));
  }
  if (fileName == nullptr || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  // Truncated to the buffer, NUL-terminated, returning the buffer size (as Windows XP and later).
  if (path.size() + 1 > size) {
    std::memcpy(fileName, path.data(), size - 1);
    fileName[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(fileName, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}
