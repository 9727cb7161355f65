#include "batch/engine_files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "batch/running_copies.h"
#include "framework/classes.h"
#include "platform/win32/kernel32.h"

namespace batch {
namespace {

struct EngineFile {
  int resourceId;
  const char* fileName;
};

// The engine and, on Windows, the two runtime libraries it loads from its own folder. This
// platform's engine links the system's media libraries and runtime, so the zlib and Cygwin
// libraries ("#2" cygz.dll, "#3" cygwin1.dll) are not part of its build.
constexpr EngineFile kEngineFiles[] = {
    {1, "nnn.exe"},
#ifdef _WIN32
    {2, "cygz.dll"},
    {3, "cygwin1.dll"},
#endif
};

AnsiString WindowsDirectoryText() {
  std::vector<char> buffer(125);
  UINT n = GetWindowsDirectoryA(buffer.data(), static_cast<UINT>(buffer.size()));
  if (n >= buffer.size()) {  // a longer path than the usual buffer holds
    buffer.resize(n + 1);
    n = GetWindowsDirectoryA(buffer.data(), static_cast<UINT>(buffer.size()));
  }
  return AnsiString(buffer.data(), n < buffer.size() ? n : 0);
}

// Removes a folder of ours with every file in it.
void RemoveFolder(const AnsiString& folder) {
  WIN32_FIND_DATAA found{};
  const HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((folder + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

constexpr const char* kStagingPrefix = "wyl.deploying-";

// The folders in which copies that no longer run were writing the engine when they ended.
void RemoveAbandonedStagings(const AnsiString& windows) {
  WIN32_FIND_DATAA found{};
  const HANDLE search = FindFirstFileA((windows + kStagingPrefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<AnsiString> abandoned;
  do {
    const DWORD owner = ProcessIdIn(found.cFileName, std::char_traits<char>::length(kStagingPrefix));
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && owner != 0 && owner != GetCurrentProcessId() &&
        !ProcessIsRunning(owner))
      abandoned.push_back(windows + found.cFileName + PathDelim);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  for (const AnsiString& folder : abandoned) RemoveFolder(folder);
}

// Whether the file holds exactly the resource's bytes.
bool HoldsResource(const AnsiString& path, const TResourceStream& resource, std::int64_t size) {
  if (!FileExists(path)) return false;
  try {
    TFileStream file(path, fmOpenRead);
    if (file.Size() != size) return false;
    std::vector<char> bytes(static_cast<std::size_t>(size));
    if (size > 0) file.ReadBuffer(bytes.data(), static_cast<long>(size));
    return std::memcmp(bytes.data(), resource.Memory(), bytes.size()) == 0;
  } catch (const EStreamError&) {
    return false;
  }
}

// The engine files whose deployed copy is missing or differs from what this program carries.
std::vector<EngineFile> StaleFiles(const AnsiString& folder) {
  std::vector<EngineFile> stale;
  for (const EngineFile& file : kEngineFiles) {
    TResourceStream resource(MainInstance(), "#" + IntToStr(file.resourceId), RT_RCDATA);
    if (!HoldsResource(folder + file.fileName, resource, resource.Size())) stale.push_back(file);
  }
  return stale;
}

}  // namespace

AnsiString EngineFolder() { return WindowsDirectoryText() + PathDelim + "wyl" + PathDelim; }

AnsiString ShortPath(const AnsiString& path) {
  std::vector<char> buffer(124);
  DWORD n = GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n >= buffer.size()) {
    buffer.resize(n + 1);
    n = GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  }
  // Without a short form the long one is the best the callers can use.
  if (n == 0 || n >= buffer.size()) return path;
  return AnsiString(buffer.data(), n);
}

void WriteEngineFiles() {
  const AnsiString windows = WindowsDirectoryText() + PathDelim;
  RemoveAbandonedStagings(windows);
  const AnsiString folder = EngineFolder();
  const bool upgrade = DirectoryExists(folder);
  const std::vector<EngineFile> stale =
      upgrade ? StaleFiles(folder) : std::vector<EngineFile>(std::begin(kEngineFiles), std::end(kEngineFiles));
  if (stale.empty()) return;
  // The files are written into a private folder first. A first start gives that folder the work
  // folder's name once all are complete, so that an interrupted one never leaves a folder that
  // later starts take as complete; an upgrade moves each file over its old copy in one step, so
  // that another running copy of the program always finds a whole engine, and an engine already
  // running keeps the file it was started from.
  const AnsiString staging = windows + kStagingPrefix + IntToStr(GetCurrentProcessId()) + PathDelim;
  RemoveFolder(staging);
  CreateDirectoryA(staging.c_str(), nullptr);
  for (const EngineFile& file : stale) {
    try {
      TResourceStream resource(MainInstance(), "#" + IntToStr(file.resourceId), RT_RCDATA);
      resource.SaveToFile(staging + file.fileName);
    } catch (const EFCreateError&) {
      // The user is told about the file the program needs, not about the private folder.
      const DWORD reason = GetLastError();
      RemoveFolder(staging);
      throw EFCreateError(
          Format("Cannot create file \"%s\". %s", (folder + file.fileName).c_str(), SysErrorMessage(reason).c_str()));
    } catch (...) {
      RemoveFolder(staging);
      throw;
    }
  }
  if (upgrade) {
    for (const EngineFile& file : stale) {
      if (!MoveFileExA((staging + file.fileName).c_str(), (folder + file.fileName).c_str(),
                       MOVEFILE_REPLACE_EXISTING)) {
        const DWORD reason = GetLastError();
        RemoveFolder(staging);
        throw EFCreateError(
            Format("Cannot create file \"%s\". %s", (folder + file.fileName).c_str(), SysErrorMessage(reason).c_str()));
      }
    }
    RemoveFolder(staging);
    return;
  }
  const AnsiString stagingFolder = staging.substr(0, staging.size() - 1);
  const AnsiString workFolder = folder.substr(0, folder.size() - 1);
  if (!MoveFileA(stagingFolder.c_str(), workFolder.c_str())) {
    const DWORD reason = GetLastError();
    RemoveFolder(staging);
    // Another copy starting at the same time may have put its complete folder there first;
    // anything else would leave every engine start to fail without a word on why.
    if (!DirectoryExists(folder)) {
      throw EFCreateError(Format("Cannot create the folder \"%s\" for the conversion engine. %s", folder.c_str(),
                                 SysErrorMessage(reason).c_str()));
    }
  }
}

void EndWithCodeWhenEngineCannotStart(std::function<void()> cleanup, int exitCode) {
  SetHaltProcedure([cleanup = std::move(cleanup), exitCode] {
    cleanup();
    std::fflush(nullptr);
    std::_Exit(exitCode);
  });
}

}  // namespace batch
