#include "bench/support/quick_input.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "bench/engine/timed_process.h"

namespace bench_support {

namespace fs = std::filesystem;

QuickInput::QuickInput() {
  std::string pattern = (fs::temp_directory_path() / "sonvarra-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder for the quick input");
  folder_ = pattern;
  file_ = (fs::path(folder_) / "quick-240p-h264-aac.mp4").string();
  const std::string seconds = std::to_string(kSeconds);
  const engine_bench::Measurement made = engine_bench::run_timed({"ffmpeg",
                                                                  "-nostdin",
                                                                  "-y",
                                                                  "-v",
                                                                  "error",
                                                                  "-f",
                                                                  "lavfi",
                                                                  "-i",
                                                                  "testsrc2=size=320x240:rate=25",
                                                                  "-f",
                                                                  "lavfi",
                                                                  "-i",
                                                                  "sine=frequency=220:sample_rate=48000",
                                                                  "-t",
                                                                  seconds,
                                                                  "-c:v",
                                                                  "libx264",
                                                                  "-preset",
                                                                  "ultrafast",
                                                                  "-g",
                                                                  "50",
                                                                  "-pix_fmt",
                                                                  "yuv420p",
                                                                  "-c:a",
                                                                  "aac",
                                                                  "-ac",
                                                                  "2",
                                                                  "-b:a",
                                                                  "128k",
                                                                  file_});
  if (made.exit_code != 0) {
    fs::remove_all(folder_);
    throw std::runtime_error("ffmpeg could not make the quick input");
  }
}

std::string ClockText(int seconds) {
  const int rest = seconds % 60;
  return std::to_string(seconds / 60) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

QuickInput::~QuickInput() {
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

}  // namespace bench_support
