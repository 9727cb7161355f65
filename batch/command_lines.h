// The engine's two command lines in its classic dialect: the probe of a source and the
// conversion of a range of it. Every path on them is short and unquoted.
#pragma once

#include <optional>
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

// A conversion in the engine's modern dialect: any of its formats or a copy of the stream, a range
// to the millisecond, a track, tags, loudness.
struct ModernConversion {
  AnsiString Codec;               // mp3 ac3 wav flac opus m4a, or copy
  AnsiString Format;              // the container: one of the formats, or for a copy also ogg or mka
  std::optional<int> BitRate;     // kbit/s
  std::optional<int> SampleRate;  // Hz
  std::optional<int> Channels;
  AnsiString Start;          // seconds ("12.345"); empty: from the beginning
  AnsiString Length;         // seconds; empty: to the end
  std::optional<int> Track;  // from 1 among the audio tracks
  bool Tags = true;
  std::optional<double> Loudness;  // LUFS
  int Threads = 0;                 // the engine's own workers; 0: as it chooses
};

// enginePath + "nnn.exe -y -i <source> -bitexact -acodec <codec> -f <format> ... -summary <output>",
// each setting only when it is given.
AnsiString ModernConversionCommandLine(const AnsiString& enginePath, const AnsiString& shortSource,
                                       const ModernConversion& conversion, const AnsiString& output);

// The sample rates (Hz) that files of the format can have; empty when every listed rate serves.
std::vector<int> SupportedSampleRates(const AnsiString& ext);

}  // namespace batch
