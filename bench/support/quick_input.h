// The input of a benchmark's quick mode: a 10-second 320x240 H.264 + AAC video like the full
// benchmark input, made in a fresh temporary folder that goes with the object.
#pragma once

#include <string>

namespace bench_support {

class QuickInput {
 public:
  static constexpr int kSeconds = 10;
  // Where a quick mode seeks to: as far into the clip as 8:00 lies in the full input.
  static constexpr int kSeekSeconds = kSeconds * 8 / 10;

  QuickInput();  // throws std::runtime_error when ffmpeg cannot make it
  ~QuickInput();
  QuickInput(const QuickInput&) = delete;
  QuickInput& operator=(const QuickInput&) = delete;

  const std::string& File() const { return file_; }

 private:
  std::string folder_;
  std::string file_;
};

// A time of a benchmark's rows, as "m:ss".
std::string ClockText(int seconds);

}  // namespace bench_support
