#pragma once
// The conversion's progress reports, in the classic console layout the program's runner reads
// ("time=" is the seconds of audio written so far).

#include <chrono>
#include <cstdint>
#include <string>

namespace enginebin {

struct Progress {
  int64_t bytes = 0;     // size of the output so far
  double seconds = 0.0;  // audio written so far
};

// "size=%8.0fkB time=%0.1f bitrate=%6.1fkbits/s" and four blanks, ending in a carriage return.
std::string progress_line(const Progress& progress);

class ProgressPrinter {
 public:
  using Clock = std::chrono::steady_clock;

  explicit ProgressPrinter(Clock::duration interval = std::chrono::milliseconds(500));

  // Prints only when the interval has passed since the last report. The time printed never goes
  // back, even when the work starts over.
  void update(const Progress& progress);
  // A line of its own between the reports (the open report line is ended first).
  void note(const std::string& text);
  // The closing report, always printed, then the end of the line.
  void finish(const Progress& progress);

 private:
  Clock::duration interval_;
  Clock::time_point last_print_;
  double printed_seconds_ = 0.0;
  bool line_open_ = false;  // a report was printed and its line not yet ended
};

}  // namespace enginebin
