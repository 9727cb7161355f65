#include "batch/source_probe.h"

#include "batch/command_lines.h"
#include "batch/engine_files.h"
#include "batch/temporary_output.h"
#include "platform/win32/kernel32.h"

namespace batch {

ProbeResult ProbeSource(Tmpegconverter& runner, const AnsiString& enginePath, const AnsiString& path) {
  // A pipe or a device may never deliver a byte, and could keep the caller waiting.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DEVICE))
    return {"", "It is not a file but a pipe or a device, which cannot be converted."};
  // A file gone since it was chosen (or a folder) is not given to the engine: its long name on a
  // command line would be split into pieces the engine takes for other arguments.
  if (!FileExists(path)) return {"", kNoCodecReason};
  runner.Run(ProbeCommandLine(enginePath, ShortPath(path), TemporaryOutputFile("3gp")));
  runner.ReadOutput();
  const AnsiString duration = runner.GetDuration();
  const bool timedOut = runner.ReportTimedOut;
  // "00:00:00.4" is a short clip, not a file without a length.
  const bool belowOneSecond = runner.ReportsLengthBelowOneSecond();
  runner.Terminate();
  if (timedOut) return {"", "The file did not answer; the drive or network share that holds it may not be responding."};
  if (duration == "00:00:00" && !belowOneSecond) return {"", kNoCodecReason};
  return {duration, ""};
}

}  // namespace batch
