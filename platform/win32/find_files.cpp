// FindFirstFileA, FindNextFileA, FindClose: a folder's names that match a pattern.
#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/handle_table.h"
#include "platform/win32/kernel32.h"

using namespace win32::detail;

namespace {

// The names a FindFirstFileA call found, handed out one by one.
struct FindState {
  std::vector<WIN32_FIND_DATAA> found;
  std::size_t next = 0;
};

// By handle; the handle table holds the handle itself.
struct Searches {
  std::mutex mutex;
  std::map<HANDLE, FindState> states;
};

Searches& TheSearches() {
  static Searches searches;
  return searches;
}

// '*' matches any run of characters, '?' any one; everything else only itself.
bool Matches(const char* pattern, const char* name) {
  const char* starPattern = nullptr;
  const char* starName = nullptr;
  while (*name) {
    if (*pattern == '*') {
      starPattern = ++pattern;
      starName = name;
    } else if (*pattern == '?' || *pattern == *name) {
      ++pattern;
      ++name;
    } else if (starPattern) {
      pattern = starPattern;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

WIN32_FIND_DATAA Describe(const std::string& folder, const char* name) {
  WIN32_FIND_DATAA data{};
  std::strncpy(data.cFileName, name, sizeof data.cFileName - 1);
  struct stat st {};
  if (lstat((folder + name).c_str(), &st) == 0) {
    data.dwFileAttributes = S_ISDIR(st.st_mode)   ? FILE_ATTRIBUTE_DIRECTORY
                            : S_ISREG(st.st_mode) ? FILE_ATTRIBUTE_NORMAL
                                                  : FILE_ATTRIBUTE_DEVICE;
    const auto size = static_cast<unsigned long long>(st.st_size);
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  }
  return data;
}

}  // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData) {
  if (fileName == nullptr || findData == nullptr || *fileName == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::string path(fileName);
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
  std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
  if (pattern == "*.*") pattern = "*";  // Windows' "every name", with a dot or not

  FindState state;
  struct stat st {};
  if (pattern.find_first_of("*?") == std::string::npos) {
    // One name: the entry itself, without reading the whole folder.
    if (lstat((folder + pattern).c_str(), &st) != 0) {
      const int err = errno;
      SetLastError(err == ENOENT && stat(folder.c_str(), &st) == 0 ? ERROR_FILE_NOT_FOUND
                   : err == ENOENT || err == ENOTDIR               ? ERROR_PATH_NOT_FOUND
                                                                   : ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    state.found.push_back(Describe(folder, pattern.c_str()));
  } else {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
      SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    while (const dirent* entry = readdir(dir)) {
      if (Matches(pattern.c_str(), entry->d_name)) state.found.push_back(Describe(folder, entry->d_name));
    }
    closedir(dir);
  }
  if (state.found.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  *findData = state.found[state.next++];
  const HANDLE find = InsertHandle({HandleKind::Find, -1, nullptr});
  Searches& searches = TheSearches();
  std::lock_guard lock(searches.mutex);
  searches.states[find] = std::move(state);
  return find;
}

BOOL WINAPI FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA findData) {
  Searches& searches = TheSearches();
  std::lock_guard lock(searches.mutex);
  const auto found = searches.states.find(find);
  if (found == searches.states.end() || findData == nullptr) {
    SetLastError(found == searches.states.end() ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FindState& state = found->second;
  if (state.next >= state.found.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  *findData = state.found[state.next++];
  return TRUE;
}

BOOL WINAPI FindClose(HANDLE find) {
  {
    Searches& searches = TheSearches();
    std::lock_guard lock(searches.mutex);
    if (searches.states.erase(find) == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
  }
  return CloseHandle(find);
}
