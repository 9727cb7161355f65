#include "batch/temporary_output.h"

#include "batch/engine_files.h"
#include "batch/running_copies.h"
#include "platform/win32/kernel32.h"
#include "platform/win32/places.h"

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

// Removes the files of the temporary root that begin with prefix and whose owner the test accepts.
template <class Test>
void RemoveFilesOf(Test owned, const AnsiString& prefix = kPrefix) {
  const AnsiString folder = TemporaryFolder();
  WIN32_FIND_DATAA found{};
  const HANDLE search = FindFirstFileA((folder + prefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const AnsiString name = found.cFileName;
    const DWORD owner = OwnerOf(name);
    if (owner != 0 && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && owned(owner))
      DeleteFileA((folder + name).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace

AnsiString TemporaryFolder() { return win32::TemporaryRoot(); }

AnsiString TemporaryOutputFile(const AnsiString& extension) {
  return ShortPath(TemporaryFolder()) + OwnPrefix() + "." + extension;
}

AnsiString TemporaryOutputFile(const AnsiString& extension, int job) {
  return ShortPath(TemporaryFolder()) + OwnPrefix() + "-" + IntToStr(job) + "." + extension;
}

void RemoveTemporaryFiles(int job) {
  RemoveFilesOf([](DWORD) { return true; }, OwnPrefix() + "-" + IntToStr(job) + ".");
}

void RemoveTemporaryFiles() {
  const DWORD self = GetCurrentProcessId();
  RemoveFilesOf([self](DWORD owner) { return owner == self; });
}

void RemoveAbandonedTemporaryFiles() {
  const DWORD self = GetCurrentProcessId();
  RemoveFilesOf([self](DWORD owner) { return owner != self && !ProcessIsRunning(owner); });
  win32::RemoveAbandonedAliases();
}

}  // namespace batch
