#include "progress.h"

#include "console.h"

#include <algorithm>

namespace enginebin {

std::string progress_line(const Progress& progress) {
  const double kilobytes = static_cast<double>(progress.bytes) / 1024.0;
  const double kilobits_per_second =
      progress.seconds > 0.0 ? static_cast<double>(progress.bytes) * 8.0 / progress.seconds / 1000.0 : 0.0;
  return format_text("size=%8.0fkB time=%0.1f bitrate=%6.1fkbits/s    \r", kilobytes, progress.seconds,
                     kilobits_per_second);
}

ProgressPrinter::ProgressPrinter(Clock::duration interval) : interval_(interval), last_print_(Clock::now()) {}

void ProgressPrinter::update(const Progress& progress) {
  const auto now = Clock::now();
  if (now - last_print_ < interval_) return;
  last_print_ = now;
  printed_seconds_ = std::max(printed_seconds_, progress.seconds);
  write_console(progress_line(Progress{progress.bytes, printed_seconds_}));
  line_open_ = true;
}

void ProgressPrinter::note(const std::string& text) {
  write_console((line_open_ ? "\n" : "") + text + "\n");
  line_open_ = false;
}

void ProgressPrinter::finish(const Progress& progress) { write_console(progress_line(progress) + "\n"); }

}  // namespace enginebin
