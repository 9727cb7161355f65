// "settings.ini" beside the program's executable, section "SETTINGS".
#pragma once

#include "framework/sysutils.h"

inline constexpr const char* kSettingsSection = "SETTINGS";

AnsiString SettingsFileName();

// PARAM_4: the output folder text of the main window, default "C:\" (the platform's drive root).
AnsiString ReadOutputFolder();
// Raises EIniFileException "Unable to write to %s" when the file cannot be written.
void WriteOutputFolder(const AnsiString& folder);
AnsiString DefaultOutputFolder();
