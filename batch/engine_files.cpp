#include "batch/engine_files.h"

#include <vector>

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

void RemoveFolder(const AnsiString& folder) {
  for (const EngineFile& file : kEngineFiles) DeleteFileA((folder + file.fileName).c_str());
  RemoveDirectoryA(folder.c_str());
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
  const AnsiString folder = EngineFolder();
  if (DirectoryExists(folder)) return;
  // The files are written into a private folder that takes the work folder's name only when
  // all are complete: an interrupted first start never leaves a folder that later starts take
  // as complete, and two copies starting at once do not write over each other.
  const AnsiString staging =
      WindowsDirectoryText() + PathDelim + "wyl.deploying-" + IntToStr(GetCurrentProcessId()) + PathDelim;
  RemoveFolder(staging);
  CreateDirectoryA(staging.c_str(), nullptr);
  for (const EngineFile& file : kEngineFiles) {
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

}  // namespace batch
