#include "summary_report.h"

#include "console.h"

namespace enginebin {

std::string written_range_text(int64_t begin, int64_t end) {
  return format_text("Written: from %.6f to %.6f\n", static_cast<double>(begin) / 1e6, static_cast<double>(end) / 1e6);
}

std::string loudness_text(double measured, double true_peak, double gain, double result) {
  return format_text("Loudness: measured %.2f LUFS, true peak %.2f dBTP, gain %.2f dB, result %.2f LUFS\n", measured,
                     true_peak, gain, result);
}

}  // namespace enginebin
