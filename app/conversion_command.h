// The engine command line of one batch file.
#pragma once

#include <vector>

#include "framework/skin/scombobox.h"
#include "framework/sysutils.h"

// The characters of the item text before its first blank ("128 kbps" gives "128"), empty when it
// has none. EListError "List index out of bounds (%d)" outside the list.
AnsiString ComboValue(const TsComboBox& list, int index);

// Engine codec, engine format and file extension alike, by the main window's format list:
// "mp3", "ac3" or "wav".
AnsiString OutputFormatExt();

struct TConversionSettings {
  AnsiString BitRate;     // kbit/s
  AnsiString SampleRate;  // Hz
  AnsiString Channels;
};

// The settings stored in "settings.ini", turned into engine values through the settings dialog's
// lists.
TConversionSettings StoredConversionSettings();

// The sample rates (Hz) that files of the format can have; empty when every listed rate serves.
std::vector<int> SupportedSampleRates(const AnsiString& ext);

// EnginePath + "nnn.exe -y -i <source> -bitexact -acodec <ext> -ac <channels> -ar <rate>
// -vol 256  -ab <kbps> -f <ext> -ss <begin> -t <length> <output>"; every path short and unquoted.
AnsiString ConversionCommandLine(const AnsiString& shortSource, const AnsiString& ext,
                                 const TConversionSettings& settings, const AnsiString& rangeBegin,
                                 const AnsiString& rangeLength, const AnsiString& output);

// Starts the engine on the source's range (RangeBegin, RangeLength) into this process's temporary
// file, after removing whatever earlier runs left there; CurrentRun names both.
void ConvertFile(const AnsiString& source);
