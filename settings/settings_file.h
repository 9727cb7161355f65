// "settings.ini", section "SETTINGS": beside the program's executable whenever new files can be
// made in that folder; otherwise (an installed program) the same file in the user's application
// data, in a folder "sonvarra". Every call opens, uses and closes the file; nothing is cached.
#pragma once

#include "batch/audio_settings.h"
#include "framework/sysutils.h"

inline constexpr const char* kSettingsSection = "SETTINGS";

// Where the file is read from and written to now.
AnsiString SettingsFileName();

// An audio setting: an index into one of the lists of batch/audio_settings.h, which the settings
// dialog shows.
struct SettingKey {
  const char* name;
  int defaultIndex;
  int count;  // number of items in the list

  constexpr SettingKey(const char* key, const batch::AudioSettingList& list)
      : name(key), defaultIndex(list.defaultIndex), count(list.Count()) {}
};
inline constexpr SettingKey kBitRateKey{"PARAM_1", batch::kBitRates};
inline constexpr SettingKey kSampleRateKey{"PARAM_2", batch::kSampleRates};
inline constexpr SettingKey kChannelsKey{"PARAM_3", batch::kChannelCounts};

// The stored index; the key's default when it is missing, not a whole number, or outside the
// list (a hand-edited file), so that every reader gets an index its list holds.
int ReadSettingIndex(const SettingKey& key);
// Raises EIniFileException "Unable to write to %s" when the file cannot be written.
void WriteSettingIndex(const SettingKey& key, int index);

// PARAM_4: the output folder text of the main window, default "C:\": on this platform the user's own
// folder (CSIDL_PROFILE), with a trailing delimiter.
AnsiString ReadOutputFolder();
// Raises EIniFileException "Unable to write to %s" when the file cannot be written.
void WriteOutputFolder(const AnsiString& folder);
AnsiString DefaultOutputFolder();
