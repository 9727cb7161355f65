#include "batch/output_placement.h"

#include "batch/output_naming.h"
#include "platform/win32/errors.h"
#include "platform/win32/kernel32.h"

namespace batch {

DWORD CreateFolderPath(const AnsiString& folder, AnsiString& failedLevel) {
  // Each level ends before a delimiter or at the end of the text.
  for (std::size_t end = 1; end <= folder.size(); ++end) {
    if (end < folder.size() && !IsPathDelimiter(folder[end])) continue;
    if (IsPathDelimiter(folder[end - 1])) continue;  // doubled or trailing delimiter
    const AnsiString level = folder.substr(0, end);
    if (DirectoryExists(level)) continue;
    if (!CreateDirectoryA(level.c_str(), nullptr) && !DirectoryExists(level)) {
      failedLevel = level;
      return GetLastError();
    }
  }
  return ERROR_SUCCESS;
}

AnsiString FolderCreationProblem(const AnsiString& folder) {
  AnsiString failedLevel;
  const DWORD error = CreateFolderPath(folder, failedLevel);
  if (error == ERROR_SUCCESS) return "";
  // The system's words for a file in the way speak of creating a file, which confuses here.
  if (error == ERROR_ALREADY_EXISTS && FileExists(failedLevel))
    return "\"" + failedLevel + "\" is a file, not a folder.";
  return SysErrorMessage(error);
}

namespace {

DWORD CALLBACK StopWhenCancelled(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE,
                                 HANDLE, LPVOID cancelled) {
  return static_cast<const std::atomic<bool>*>(cancelled)->load() ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

}  // namespace

DWORD FolderTakesNewFiles(const AnsiString& folder) {
  for (int attempt = 1; attempt <= 100; ++attempt) {
    const AnsiString probe = folder + ".sonvarra-" + IntToStr(GetCurrentProcessId()) + "-" + IntToStr(attempt) + ".tmp";
    const HANDLE file =
        CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;  // a name of another run: try the next
      return GetLastError();
    }
    CloseHandle(file);
    DeleteFileA(probe.c_str());
    return ERROR_SUCCESS;
  }
  return ERROR_FILE_EXISTS;
}

AnsiString FileCreationProblem(const AnsiString& folder) {
  const DWORD error = FolderTakesNewFiles(folder);
  return error == ERROR_SUCCESS ? AnsiString() : SysErrorMessage(error);
}

DWORD MoveOutputIntoPlace(const AnsiString& finished, const AnsiString& source, const AnsiString& folder,
                          const AnsiString& extension, AnsiString& target, std::atomic<bool>* cancelled) {
  return MoveOutputIntoPlace(
      finished, [&] { return FreeOutputName(source, folder, extension); }, target, cancelled);
}

DWORD MoveOutputIntoPlace(const AnsiString& finished, const std::function<AnsiString()>& nextFreeName,
                          AnsiString& target, std::atomic<bool>* cancelled) {
  // Another copy of the program may keep taking the names we pick; after this many it has won.
  constexpr int kAttempts = 100;
  DWORD error = ERROR_SUCCESS;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (MoveFileWithProgressA(finished.c_str(), target.c_str(), cancelled ? StopWhenCancelled : nullptr, cancelled,
                              MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
      return ERROR_SUCCESS;
    error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return error;
    target = nextFreeName();
  }
  return error;
}

}  // namespace batch
