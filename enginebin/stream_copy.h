#pragma once
// A copy of the chosen audio stream, packet for packet, without decoding.

#include "av_handles.h"

#include <string>

namespace enginebin {

struct OutputSettings;
class OutputFileGuard;

// Writes the stream's packets that lie wholly inside the requested range (the whole stream
// without one), their bytes unchanged and their times counted from the first one kept. Throws
// EngineError on any failure, and when no packet lies inside the range.
void copy_audio(AVFormatContext& input, AVStream& audio, const std::string& input_name, const OutputSettings& settings,
                OutputFileGuard& guard);

}  // namespace enginebin
