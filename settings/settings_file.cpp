#include "settings/settings_file.h"

#include <vector>

#include "framework/inifiles.h"
#include "platform/win32/kernel32.h"
#include "platform/win32/shell32.h"

namespace {

AnsiString ProgramFolder() {
  std::vector<char> buffer(4096);
  const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  return ExtractFilePath(AnsiString(buffer.data(), n));
}

// Making a file is the one sure test: rights, a read-only medium and a missing folder all show in it.
bool CanCreateFilesIn(const AnsiString& folder) {
  const AnsiString probe = folder + "settings.ini." + IntToStr(GetCurrentProcessId()) + ".probe";
  auto create = [&] {
    return CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE file = create();
  // left behind by an ended copy that had the same process id
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS && DeleteFileA(probe.c_str()))
    file = create();
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  DeleteFileA(probe.c_str());
  return true;
}

// The program's folder in the user's application data, with trailing delimiter; empty when the
// system has none. Made on the way when the file is about to be written.
AnsiString UserSettingsFolder(bool make) {
  char folder[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_APPDATA, make ? TRUE : FALSE)) return "";
  const AnsiString own = IncludeTrailingPathDelimiter(folder) + "sonvarra";
  if (make) CreateDirectoryA(own.c_str(), nullptr);
  return own + PathDelim;
}

AnsiString SettingsFile(bool forWriting) {
  const AnsiString beside = ProgramFolder();
  if (CanCreateFilesIn(beside)) return beside + "settings.ini";
  const AnsiString user = UserSettingsFolder(forWriting);
  return (user.empty() ? beside : user) + "settings.ini";
}

}  // namespace

AnsiString SettingsFileName() { return SettingsFile(false); }

int ReadSettingIndex(const SettingKey& key) {
  const int index = TIniFile(SettingsFileName()).ReadInteger(kSettingsSection, key.name, key.defaultIndex);
  return index >= 0 && index < key.count ? index : key.defaultIndex;
}

void WriteSettingIndex(const SettingKey& key, int index) {
  TIniFile ini(SettingsFile(true));
  ini.WriteInteger(kSettingsSection, key.name, index);
}

AnsiString DefaultOutputFolder() {
  char folder[MAX_PATH] = {};
  return SHGetSpecialFolderPathA(nullptr, folder, CSIDL_PROFILE, FALSE) ? IncludeTrailingPathDelimiter(folder)
                                                                        : AnsiString(1, PathDelim);
}

AnsiString ReadOutputFolder() {
  return TIniFile(SettingsFileName()).ReadString(kSettingsSection, "PARAM_4", DefaultOutputFolder());
}

void WriteOutputFolder(const AnsiString& folder) {
  TIniFile ini(SettingsFile(true));
  ini.WriteString(kSettingsSection, "PARAM_4", folder);
}
