#include "benchmark_input.h"

#include "timed_process.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace engine_bench {

namespace fs = std::filesystem;

std::string cache_folder() {
  if (const char* folder = std::getenv("SONVARRA_BENCH_CACHE"); folder != nullptr && *folder != 0) return folder;
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache != 0)
    return (fs::path(cache) / "sonvarra" / "bench").string();
  const char* home = std::getenv("HOME");
  return (fs::path(home != nullptr ? home : "/tmp") / ".cache" / "sonvarra" / "bench").string();
}

std::vector<std::string> default_audio_options(const std::string& codec, const std::string& bit_rate,
                                               const std::string& format) {
  return {"-bitexact", "-acodec", codec, "-ac", "2", "-ar", "44100", "-vol", "256", "-ab", bit_rate, "-f", format};
}

BenchmarkOptions parse_benchmark_options(int argc, char** argv) {
  BenchmarkOptions options;
  options.cache = cache_folder();
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--quick") {
      options.quick = true;
    } else if (option == "--runs" && i + 1 < argc) {
      const int runs = std::atoi(argv[++i]);
      if (runs > 0) options.runs = runs;
    } else if (option == "--cache" && i + 1 < argc) {
      options.cache = argv[++i];
    }
  }
  if (options.quick) options.runs = 1;
  return options;
}

std::string benchmark_input(const std::string& folder, bool quick) {
  fs::create_directories(folder);
  // The name carries the recipe's version: a changed recipe must not reuse an old file.
  const fs::path input =
      fs::path(folder) / (quick ? "input-240p-h264-aac-45s-v1.mp4" : "input-720p-h264-aac-600s-v1.mp4");
  if (fs::exists(input)) return input.string();

  if (!quick) std::printf("generating %s (once; takes a minute or two)...\n", input.c_str());
  std::fflush(stdout);
  // A tone on the left, pink noise on the right: one easy and one hard channel for the encoders.
  return made_with_ffmpeg(input.string(),
                          {"-f",
                           "lavfi",
                           "-i",
                           quick ? "testsrc2=size=320x240:rate=25" : "testsrc2=size=1280x720:rate=25",
                           "-f",
                           "lavfi",
                           "-i",
                           "sine=frequency=220:sample_rate=48000",
                           "-f",
                           "lavfi",
                           "-i",
                           "anoisesrc=sample_rate=48000:color=pink:amplitude=0.3",
                           "-filter_complex",
                           "[1:a][2:a]amerge=inputs=2[a]",
                           "-map",
                           "0:v",
                           "-map",
                           "[a]",
                           "-t",
                           quick ? "45" : "600",
                           "-c:v",
                           "libx264",
                           "-preset",
                           "ultrafast",
                           "-g",
                           "250",
                           "-pix_fmt",
                           "yuv420p",
                           "-c:a",
                           "aac",
                           "-b:a",
                           "128k"});
}

std::string made_with_ffmpeg(const std::string& path, const std::vector<std::string>& recipe) {
  if (fs::exists(path)) return path;
  // Made under another name and renamed when whole: an interrupted run leaves nothing to reuse.
  const std::string partial = path + ".partial" + fs::path(path).extension().string();
  std::vector<std::string> command = {"ffmpeg", "-nostdin", "-y", "-v", "error"};
  command.insert(command.end(), recipe.begin(), recipe.end());
  command.push_back(partial);
  if (run_timed(command).exit_code != 0) {
    fs::remove(partial);
    throw std::runtime_error("ffmpeg could not generate " + path);
  }
  fs::rename(partial, path);
  return path;
}

}  // namespace engine_bench
