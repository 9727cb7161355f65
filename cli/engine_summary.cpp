#include "cli/engine_summary.h"

#include <cstdio>

namespace cli {
namespace {

// The text from the last occurrence of the line's opening words on.
const char* LineOf(const std::string& output, const char* opening) {
  const std::size_t at = output.rfind(opening);
  return at == std::string::npos ? nullptr : output.c_str() + at;
}

}  // namespace

EngineSummary ReadEngineSummary(const std::string& output) {
  EngineSummary summary;
  double begin = 0, end = 0;
  if (const char* line = LineOf(output, "Written: from ");
      line != nullptr && std::sscanf(line, "Written: from %lf to %lf", &begin, &end) == 2) {
    summary.Begin = begin;
    summary.End = end;
  }
  LoudnessSummary loudness;
  if (const char* line = LineOf(output, "Loudness: measured ");
      line != nullptr &&
      std::sscanf(line, "Loudness: measured %lf LUFS, true peak %lf dBTP, gain %lf dB, result %lf LUFS",
                  &loudness.Measured, &loudness.TruePeak, &loudness.Gain, &loudness.Result) == 4)
    summary.Loudness = loudness;
  return summary;
}

}  // namespace cli
