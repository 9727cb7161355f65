#pragma once
// The report of the input (and of the output about to be written), in the classic console
// layout that the program's runner reads: it looks for "  Duration: HH:MM:SS.t".

#include "av_handles.h"

#include <string>

namespace enginebin {

struct OutputSettings;

std::string input_report(const AVFormatContext& input, const std::string& name);
std::string output_report(const OutputSettings& settings);

}  // namespace enginebin
