// What the user reads about files of a batch that gave no output.
#pragma once

#include <vector>

#include "app/batch_state.h"
#include "framework/sysutils.h"

// What the engine's words say about a failed run. output: everything the engine wrote; the paths
// it was given (short source, temporary output) become the file names the user knows.
struct TFailedRun {
  AnsiString Output;
  DWORD ExitCode = 0;
  AnsiString Source;
  AnsiString ShortSource;
  AnsiString TemporaryFile;
  AnsiString Target;
  AnsiString Extension;
};
AnsiString EngineFailureReason(const TFailedRun& run);

inline constexpr const char* kSourceMissingReason = "The file cannot be found; it may have been moved or deleted.";

// The reason for a converted file that could not be moved into the output folder.
AnsiString MoveFailureReason(const AnsiString& target, DWORD error);

// "AC3 files cannot have a sample rate of 16000 Hz. Choose 32000, 44100 or 48000 Hz in Settings."
AnsiString SampleRateAdvice(const AnsiString& extension, const AnsiString& rate, std::vector<int> rates);

// "Done.", followed by a list of the files that failed when there are any.
AnsiString BatchSummary(const std::vector<TBatchFailure>& failures, int fileCount);

// What a cancelled batch did: how many files it converted, that those not converted (left of
// them) are listed again, and which files failed before the cancel.
AnsiString CancelSummary(const std::vector<TBatchFailure>& failures, int fileCount, int left);
