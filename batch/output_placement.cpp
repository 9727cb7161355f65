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

AnsiString FileCreationProblem(const AnsiString& folder) {
  const AnsiString probe = folder + ".sonvarra-" + IntToStr(GetCurrentProcessId()) + ".probe";
  const HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return SysErrorMessage(GetLastError());
  CloseHandle(file);
  DeleteFileA(probe.c_str());
  return "";
}

DWORD MoveOutputIntoPlace(const AnsiString& finished, const AnsiString& source, const AnsiString& folder,
                          const AnsiString& extension, AnsiString& target) {
  return MoveOutputIntoPlace(
      finished, [&] { return FreeOutputName(source, folder, extension); }, target);
}

DWORD MoveOutputIntoPlace(const AnsiString& finished, const std::function<AnsiString()>& nextFreeName,
                          AnsiString& target) {
  // Another copy of the program may keep taking the names we pick; after this many it has won.
  constexpr int kAttempts = 100;
  DWORD error = ERROR_SUCCESS;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (MoveFileA(finished.c_str(), target.c_str())) return ERROR_SUCCESS;
    error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return error;
    target = nextFreeName();
  }
  return error;
}

}  // namespace batch
