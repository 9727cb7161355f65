// The state of the running batch, owned by the main window's unit.
#pragma once

#include <optional>
#include <vector>

#include "batch/early_end.h"
#include "framework/sysutils.h"

extern bool Converting;           // a batch runs; the progress dialog refuses to close meanwhile
extern bool CancelRequested;      // Cancel was pressed; the next tick ends the batch
extern int CurrentDuration;       // whole seconds of the range being converted
extern AnsiString RangeBegin;     // "-ss" of the current file, a time code
extern AnsiString RangeLength;    // "-t" of the current file, a time code
extern AnsiString CurrentTarget;  // final path of the current file's output

// The file being converted, as far as the final move and its report need it.
struct TCurrentRun {
  AnsiString Source;                        // as listed
  AnsiString ShortSource;                   // as the engine was given it (and names it in its messages)
  AnsiString TemporaryFile;                 // where this run's engine writes
  int FilePercent = 0;                      // shown for the file; kept on a tick that cannot read the time
  std::optional<batch::EarlyEnd> EarlyEnd;  // the engine's word that the file ended early
  // Its row as it was listed, to be listed again when the batch is cancelled.
  AnsiString Caption, RangeText, LengthText;
};
extern TCurrentRun CurrentRun;

// A source that gave no output file, and why, in words for the user.
struct TBatchFailure {
  AnsiString FileName;
  AnsiString Reason;
};
extern std::vector<TBatchFailure> BatchFailures;

// A converted source that ended before its declared length, and where, in words for the user.
struct TEarlyEndNote {
  AnsiString FileName;
  AnsiString Note;
};
extern std::vector<TEarlyEndNote> BatchEarlyEnds;

// Stops a converted file on its way into the output folder (what was copied is removed) and waits
// for that to end; nothing when no file is on its way.
void StopPuttingOutputInPlace();
extern int BatchFileCount;  // files in the batch when it started
