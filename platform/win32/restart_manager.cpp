// The processes that hold a file are found through /proc: every descriptor of every process that
// this user may look into, compared with the file by device and inode.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/kernel32.h"
#include "platform/win32/restartmanager.h"
#include "platform/win32/wide_text.h"

namespace {

struct FileId {
  dev_t device;
  ino_t inode;
  bool operator==(const FileId&) const = default;
};

struct Sessions {
  std::mutex mutex;
  std::map<DWORD, std::vector<FileId>> files;
  DWORD last = 0;
};

Sessions& TheSessions() {
  static Sessions sessions;
  return sessions;
}

std::vector<std::string> NumberedEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos) names.push_back(name);
    }
    closedir(dir);
  }
  return names;
}

bool Holds(const std::string& pid, const std::vector<FileId>& files) {
  const std::string folder = "/proc/" + pid + "/fd";
  for (const std::string& fd : NumberedEntries(folder)) {
    struct stat st {};
    if (stat((folder + "/" + fd).c_str(), &st) == 0 &&
        std::find(files.begin(), files.end(), FileId{st.st_dev, st.st_ino}) != files.end())
      return true;
  }
  return false;
}

std::vector<pid_t> Holders(const std::vector<FileId>& files) {
  std::vector<pid_t> holders;
  const pid_t self = getpid();
  for (const std::string& pid : NumberedEntries("/proc")) {
    const pid_t id = static_cast<pid_t>(std::stol(pid));
    if (id != self && Holds(pid, files)) holders.push_back(id);
  }
  return holders;
}

// Gone, or a zombie that only waits for its parent to collect it.
bool Ended(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  std::getline(stat, text);
  const std::size_t close = text.rfind(')');
  return close == std::string::npos || close + 2 >= text.size() || text[close + 2] == 'Z' || text[close + 2] == 'X';
}

}  // namespace

DWORD WINAPI RmStartSession(DWORD* sessionHandle, DWORD sessionFlags, WCHAR key[]) {
  if (sessionHandle == nullptr || key == nullptr || sessionFlags != 0) return ERROR_INVALID_PARAMETER;
  Sessions& sessions = TheSessions();
  std::lock_guard lock(sessions.mutex);
  *sessionHandle = ++sessions.last;
  sessions.files[*sessionHandle];
  char text[CCH_RM_SESSION_KEY + 1];
  std::snprintf(text, sizeof text, "%08x%08x%016x", static_cast<unsigned>(getpid()), *sessionHandle, 0u);
  for (DWORD i = 0; i <= CCH_RM_SESSION_KEY; ++i) key[i] = static_cast<WCHAR>(text[i]);
  return ERROR_SUCCESS;
}

DWORD WINAPI RmEndSession(DWORD sessionHandle) {
  Sessions& sessions = TheSessions();
  std::lock_guard lock(sessions.mutex);
  return sessions.files.erase(sessionHandle) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

DWORD WINAPI RmRegisterResources(DWORD sessionHandle, UINT fileCount, LPCWSTR fileNames[], UINT applicationCount,
                                 RM_UNIQUE_PROCESS[], UINT serviceCount, LPCWSTR[]) {
  if (applicationCount != 0 || serviceCount != 0 || (fileCount > 0 && fileNames == nullptr))
    return ERROR_INVALID_PARAMETER;
  std::vector<FileId> found;
  for (UINT i = 0; i < fileCount; ++i) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, fileNames[i], -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return ERROR_INVALID_PARAMETER;
    std::string name(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, fileNames[i], -1, name.data(), size, nullptr, nullptr);
    struct stat st {};
    if (stat(name.c_str(), &st) == 0) found.push_back({st.st_dev, st.st_ino});  // a missing file: no one holds it
  }
  Sessions& sessions = TheSessions();
  std::lock_guard lock(sessions.mutex);
  const auto session = sessions.files.find(sessionHandle);
  if (session == sessions.files.end()) return ERROR_INVALID_HANDLE;
  session->second.insert(session->second.end(), found.begin(), found.end());
  return ERROR_SUCCESS;
}

DWORD WINAPI RmShutdown(DWORD sessionHandle, ULONG actionFlags, RM_WRITE_STATUS_CALLBACK status) {
  std::vector<FileId> files;
  {
    Sessions& sessions = TheSessions();
    std::lock_guard lock(sessions.mutex);
    const auto session = sessions.files.find(sessionHandle);
    if (session == sessions.files.end()) return ERROR_INVALID_HANDLE;
    files = session->second;
  }
  const std::vector<pid_t> holders = files.empty() ? std::vector<pid_t>{} : Holders(files);
  for (const pid_t pid : holders) kill(pid, (actionFlags & RmForceShutdown) ? SIGKILL : SIGTERM);
  bool allEnded = true;
  for (const pid_t pid : holders) {
    for (int waited = 0; !Ended(pid) && waited < 1000; waited += 5) Sleep(5);
    allEnded = allEnded && Ended(pid);
  }
  if (status != nullptr) status(100);
  return allEnded ? ERROR_SUCCESS : ERROR_FAIL_SHUTDOWN;
}
