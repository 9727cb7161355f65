#pragma once
// One conversion: the chosen audio stream of an opened input into the output file.

#include "av_handles.h"

#include <string>

namespace enginebin {

struct OutputSettings;
class OutputFileGuard;

// Throws EngineError on any failure; returns only when the whole requested range (or the audio
// up to the end of the input) has been written and the file closed.
void convert_audio(AVFormatContext& input, AVStream& audio, const std::string& input_name,
                   const OutputSettings& settings, OutputFileGuard& guard);

}  // namespace enginebin
