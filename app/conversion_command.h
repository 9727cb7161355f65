// The engine command line of one batch file.
#pragma once

#include "batch/command_lines.h"
#include "framework/skin/scombobox.h"
#include "framework/sysutils.h"

// The characters of the item text before its first blank ("128 kbps" gives "128"), empty when it
// has none. EListError "List index out of bounds (%d)" outside the list.
AnsiString ComboValue(const TsComboBox& list, int index);

// Engine codec, engine format and file extension alike, by the main window's format list:
// "mp3", "ac3" or "wav".
AnsiString OutputFormatExt();

// The settings stored in "settings.ini", turned into engine values through the settings dialog's
// lists.
batch::ConversionSettings StoredConversionSettings();

// Starts the engine on the source's range (RangeBegin, RangeLength) into this process's temporary
// file, after removing whatever earlier runs left there; CurrentRun names both.
void ConvertFile(const AnsiString& source);
