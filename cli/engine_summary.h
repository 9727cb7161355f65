// The engine's closing words on a conversion in its modern dialect (-summary): where the audio
// written begins and ends on the source's timeline, and the loudness it measured and reached.
#pragma once

#include <optional>
#include <string>

namespace cli {

struct LoudnessSummary {
  double Measured = 0;  // LUFS, of the source's range
  double TruePeak = 0;  // dBTP, of the source's range
  double Gain = 0;      // dB, applied
  double Result = 0;    // LUFS, of what was encoded
};

struct EngineSummary {
  std::optional<double> Begin;  // seconds on the source's timeline
  std::optional<double> End;
  std::optional<LoudnessSummary> Loudness;
};

// Reads "Written: from B to E" and "Loudness: measured M LUFS, true peak P dBTP, gain G dB,
// result R LUFS" out of everything the engine wrote.
EngineSummary ReadEngineSummary(const std::string& output);

}  // namespace cli
