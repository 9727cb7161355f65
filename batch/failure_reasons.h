// Why a conversion gave no file, in words a user reads.
#pragma once

#include <vector>

#include "framework/sysutils.h"

namespace batch {

// What the engine's words say about a failed run. output: everything the engine wrote; the paths
// it was given (short source, temporary output) become the file names the user knows.
struct FailedRun {
  AnsiString Output;
  DWORD ExitCode = 0;
  AnsiString Source;
  AnsiString ShortSource;
  AnsiString TemporaryFile;
  AnsiString Target;
  AnsiString Extension;
  AnsiString TemporaryFolder;  // where TemporaryFile lies, as the user would look for it
};
AnsiString EngineFailureReason(const FailedRun& run);

inline constexpr const char* kSourceMissingReason = "The file cannot be found; it may have been moved or deleted.";

// A range whose end is its begin (whole seconds): there is nothing to convert.
inline constexpr const char* kEmptyRangeReason = "The marked range is empty: it ends where it begins.";

// The reason for a converted file that could not be moved into the output folder.
AnsiString MoveFailureReason(const AnsiString& target, DWORD error);

// "AC3 files cannot have a sample rate of 16000 Hz. Choose 32000, 44100 or 48000 Hz in Settings."
AnsiString SampleRateAdvice(const AnsiString& extension, const AnsiString& rate, std::vector<int> rates);

}  // namespace batch
