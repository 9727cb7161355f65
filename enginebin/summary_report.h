#pragma once
// The closing lines of the modern dialect, which the command reads: where the audio written lies
// on the input's timeline (-summary), and what the loudness pass found and did (-loudness).

#include <cstdint>
#include <string>

namespace enginebin {

// "Written: from 1.023000 to 3.368000": microseconds from the input's start, in seconds.
std::string written_range_text(int64_t begin, int64_t end);

// "Loudness: measured -18.25 LUFS, true peak -0.40 dBTP, gain -4.75 dB, result -23.00 LUFS".
std::string loudness_text(double measured, double true_peak, double gain, double result);

}  // namespace enginebin
