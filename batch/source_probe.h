// Learning a source's length from the engine's report of its input, as Add does before it lists
// a file.
#pragma once

#include "engine/mpegconverter.h"
#include "framework/sysutils.h"

namespace batch {

inline constexpr const char* kNoCodecReason = "There is no CODEC for this file or can`t support it.";

struct ProbeResult {
  AnsiString Duration;  // the report's time code (HH:MM:SS, tenths dropped); empty on failure
  AnsiString Failure;   // why the file cannot be listed, in words for the user; empty on success
};

// Runs the engine at enginePath (the work folder's short form, with its delimiter) on the source
// with the probe command line, waits for the input report and stops the engine.
ProbeResult ProbeSource(Tmpegconverter& runner, const AnsiString& enginePath, const AnsiString& path);

}  // namespace batch
