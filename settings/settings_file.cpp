#include "settings/settings_file.h"

#include <vector>

#include "framework/inifiles.h"
#include "platform/win32/kernel32.h"
#include "platform/win32/places.h"

AnsiString SettingsFileName() {
  std::vector<char> buffer(4096);
  const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  return ExtractFilePath(AnsiString(buffer.data(), n)) + "settings.ini";
}

int ReadSettingIndex(const SettingKey& key) {
  const int index = TIniFile(SettingsFileName()).ReadInteger(kSettingsSection, key.name, key.defaultIndex);
  return index >= 0 && index < key.count ? index : key.defaultIndex;
}

void WriteSettingIndex(const SettingKey& key, int index) {
  TIniFile ini(SettingsFileName());
  ini.WriteInteger(kSettingsSection, key.name, index);
}

AnsiString DefaultOutputFolder() { return win32::DefaultRoot(); }

AnsiString ReadOutputFolder() {
  return TIniFile(SettingsFileName()).ReadString(kSettingsSection, "PARAM_4", DefaultOutputFolder());
}

void WriteOutputFolder(const AnsiString& folder) {
  TIniFile ini(SettingsFileName());
  ini.WriteString(kSettingsSection, "PARAM_4", folder);
}
