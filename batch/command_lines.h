// The engine's two command lines in its classic dialect: the probe of a source and the
// conversion of a range of it. Every path on them is short and unquoted.
#pragma once

#include <vector>

#include "framework/sysutils.h"

namespace batch {

struct ConversionSettings {
  AnsiString BitRate;     // kbit/s
  AnsiString SampleRate;  // Hz
  AnsiString Channels;
};

// enginePath + "nnn.exe -i <source> ..." asking for a small conversion that nothing reads: only the
// report of its input matters, and the engine is stopped as soon as that has arrived.
AnsiString ProbeCommandLine(const AnsiString& enginePath, const AnsiString& shortSource, const AnsiString& output);

// enginePath + "nnn.exe -y -i <source> -bitexact -acodec <ext> -ac <channels> -ar <rate>
// -vol 256  -ab <kbps> -f <ext> -ss <begin> -t <length> <output>".
AnsiString ConversionCommandLine(const AnsiString& enginePath, const AnsiString& shortSource, const AnsiString& ext,
                                 const ConversionSettings& settings, const AnsiString& rangeBegin,
                                 const AnsiString& rangeLength, const AnsiString& output);

// The sample rates (Hz) that files of the format can have; empty when every listed rate serves.
std::vector<int> SupportedSampleRates(const AnsiString& ext);

}  // namespace batch
