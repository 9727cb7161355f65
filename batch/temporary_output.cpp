#include "batch/temporary_output.h"

#include <string>
#include <vector>

#include "batch/engine_files.h"
#include "batch/running_copies.h"
#include "platform/win32/kernel32.h"
#include "platform/win32/restartmanager.h"
#include "platform/win32/wide_text.h"

namespace batch {
namespace {

constexpr const char* kPrefix = "wyl-";

// The process id in "wyl-<id>.<anything>" or "wyl-<id>-<job>.<anything>"; 0 for any other name.
DWORD OwnerOf(const AnsiString& name) {
  const std::size_t dot = name.find('.');
  if (name.rfind(kPrefix, 0) != 0 || dot == AnsiString::npos) return 0;
  const std::size_t dash = name.find('-', 4);
  if (dash > dot) return ProcessIdIn(name, 4, dot);
  if (dash + 1 == dot || name.find_first_not_of("0123456789", dash + 1) < dot) return 0;
  return ProcessIdIn(name, 4, dash);
}

AnsiString OwnPrefix() { return kPrefix + IntToStr(GetCurrentProcessId()); }

// Ends whatever still writes the files: the engine of a copy that was killed before its engines
// ended with it.
void StopProcessesUsing(const std::vector<AnsiString>& files) {
  std::vector<std::u16string> names;
  for (const AnsiString& file : files) {
    std::u16string name(file.size() + 1, u'\0');  // never more units than bytes
    const int units = MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, name.data(), static_cast<int>(name.size()));
    if (units <= 1) continue;
    name.resize(static_cast<std::size_t>(units - 1));  // the NUL is the string's own
    names.push_back(name);
  }
  std::vector<LPCWSTR> pointers;
  for (const std::u16string& name : names) pointers.push_back(name.c_str());
  DWORD session = 0;
  WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
  if (pointers.empty() || RmStartSession(&session, 0, key) != ERROR_SUCCESS) return;
  if (RmRegisterResources(session, static_cast<UINT>(pointers.size()), pointers.data(), 0, nullptr, 0, nullptr) ==
      ERROR_SUCCESS)
    RmShutdown(session, RmForceShutdown, nullptr);
  RmEndSession(session);
}

// Removes the files of the temporary root that begin with prefix and whose owner the test accepts;
// with stopUsers, after ending the processes that still hold them.
template <class Test>
void RemoveFilesOf(Test owned, bool stopUsers, const AnsiString& prefix = kPrefix) {
  const AnsiString folder = TemporaryFolder();
  if (folder.empty()) return;  // never the current folder's files
  std::vector<AnsiString> files;
  WIN32_FIND_DATAA found{};
  const HANDLE search = FindFirstFileA((folder + prefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const AnsiString name = found.cFileName;
    const DWORD owner = OwnerOf(name);
    if (owner != 0 && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && owned(owner))
      files.push_back(folder + name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  if (stopUsers && !files.empty()) StopProcessesUsing(files);
  for (const AnsiString& file : files) DeleteFileA(file.c_str());
}

}  // namespace

AnsiString TemporaryFolder() {
  std::vector<char> folder(MAX_PATH + 1);
  DWORD n = GetTempPathA(static_cast<DWORD>(folder.size()), folder.data());
  if (n >= folder.size()) {
    folder.resize(n);
    n = GetTempPathA(static_cast<DWORD>(folder.size()), folder.data());
  }
  return n > 0 && n < folder.size() ? AnsiString(folder.data(), n) : AnsiString();
}

AnsiString TemporaryOutputFile(const AnsiString& extension) {
  return ShortPath(TemporaryFolder()) + OwnPrefix() + "." + extension;
}

AnsiString TemporaryOutputFile(const AnsiString& extension, int job) {
  return ShortPath(TemporaryFolder()) + OwnPrefix() + "-" + IntToStr(job) + "." + extension;
}

void RemoveTemporaryFiles(int job) {
  RemoveFilesOf([](DWORD) { return true; }, false, OwnPrefix() + "-" + IntToStr(job) + ".");
}

void RemoveTemporaryFiles() {
  const DWORD self = GetCurrentProcessId();
  RemoveFilesOf([self](DWORD owner) { return owner == self; }, false);
}

void RemoveAbandonedTemporaryFiles() {
  const DWORD self = GetCurrentProcessId();
  RemoveFilesOf([self](DWORD owner) { return owner != self && !ProcessIsRunning(owner); }, true);
}

}  // namespace batch
