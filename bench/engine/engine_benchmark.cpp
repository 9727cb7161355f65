// Compares the conversion engine with the ffmpeg program doing the same jobs on the same input,
// in one run, and prints the time ratios and the engine's peak memory.
//
//   engine_benchmark [--runs N] [--cache FOLDER]

#include "benchmark_input.h"
#include "timed_process.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace engine_bench {
namespace {

namespace fs = std::filesystem;

struct Range {
  std::string begin;
  std::string length;
};

struct Job {
  std::string title;
  std::string format;      // mp3, ac3, wav: the engine's codec and format name
  std::string peer_codec;  // the same encoder by ffmpeg's name
  Range range;
  bool peer_seeks_input;         // ffmpeg gets -ss before -i (input seeking) rather than after
  std::optional<double> target;  // highest acceptable engine / ffmpeg time ratio
};

const Range kWholeFile{"00:00:00", "00:10:01"};
const Range kHalfMinuteAtEight{"00:08:00", "00:00:30"};

// The command line the program sends the engine, with the program's default audio settings.
std::vector<std::string> engine_command(const Job& job, const std::string& input, const std::string& output) {
  return {SONVARRA_ENGINE_FILE,
          "-y",
          "-i",
          input,
          "-bitexact",
          "-acodec",
          job.format,
          "-ac",
          "2",
          "-ar",
          "44100",
          "-vol",
          "256",
          "-ab",
          "128",
          "-f",
          job.format,
          "-ss",
          job.range.begin,
          "-t",
          job.range.length,
          output};
}

// The same job for today's ffmpeg, whose -ab takes bits per second.
std::vector<std::string> peer_command(const Job& job, const std::string& input, const std::string& output) {
  std::vector<std::string> command = {"ffmpeg", "-nostdin", "-y"};
  if (job.peer_seeks_input) command.insert(command.end(), {"-ss", job.range.begin});
  command.insert(command.end(), {"-i", input, "-bitexact", "-acodec", job.peer_codec, "-ac", "2", "-ar", "44100",
                                 "-vol", "256", "-ab", "128k", "-f", job.format});
  if (!job.peer_seeks_input) command.insert(command.end(), {"-ss", job.range.begin});
  command.insert(command.end(), {"-t", job.range.length, output});
  return command;
}

struct Best {
  double seconds = 1e300;
  double peak_mebibytes = 0;
  bool failed = false;
  void add(const Measurement& run) {
    failed = failed || run.exit_code != 0;
    seconds = std::min(seconds, run.seconds);
    peak_mebibytes = std::max(peak_mebibytes, run.peak_mebibytes);
  }
};

int parse_runs(const char* text) {
  const int runs = std::atoi(text);
  return runs > 0 ? runs : 3;
}

}  // namespace
}  // namespace engine_bench

int main(int argc, char** argv) {
  using namespace engine_bench;
  int runs = 3;
  std::string folder = cache_folder();
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--runs")
      runs = parse_runs(argv[i + 1]);
    else if (option == "--cache")
      folder = argv[i + 1];
  }

  const std::string input = benchmark_input(folder);
  const fs::path scratch = fs::path(folder) / "outputs";
  fs::create_directories(scratch);

  const std::vector<Job> jobs = {
      {"full MP3", "mp3", "libmp3lame", kWholeFile, false, 1.05},
      {"30 s at 8:00, ffmpeg -ss after -i", "mp3", "libmp3lame", kHalfMinuteAtEight, false, 0.2},
      {"30 s at 8:00, ffmpeg -ss before -i", "mp3", "libmp3lame", kHalfMinuteAtEight, true, 1.1},
      {"full AC3", "ac3", "ac3", kWholeFile, false, std::nullopt},
      {"full WAV", "wav", "pcm_s16le", kWholeFile, false, std::nullopt},
  };

  std::printf("input: %s\nengine: %s\nbest of %d runs each, engine and ffmpeg alternating\n\n", input.c_str(),
              SONVARRA_ENGINE_FILE, runs);
  std::printf("%-36s %9s %9s %7s %8s\n", "job", "engine s", "ffmpeg s", "ratio", "target");
  double engine_peak = 0;
  double peer_peak = 0;
  bool all_met = true;
  for (const Job& job : jobs) {
    const std::string engine_output = (scratch / ("engine." + job.format)).string();
    const std::string peer_output = (scratch / ("ffmpeg." + job.format)).string();
    Best engine, peer;
    for (int run = 0; run < runs; ++run) {
      engine.add(run_timed(engine_command(job, input, engine_output)));
      peer.add(run_timed(peer_command(job, input, peer_output)));
    }
    engine_peak = std::max(engine_peak, engine.peak_mebibytes);
    peer_peak = std::max(peer_peak, peer.peak_mebibytes);
    const double ratio = engine.seconds / peer.seconds;
    std::string verdict;
    if (engine.failed || peer.failed)
      verdict = engine.failed ? "ENGINE FAILED" : "FFMPEG FAILED";
    else if (job.target)
      verdict = ratio <= *job.target ? "met" : "MISSED";
    all_met = all_met && !engine.failed && (!job.target || ratio <= *job.target);
    const std::string target = job.target ? "<= " + std::to_string(*job.target).substr(0, 4) : "-";
    std::printf("%-36s %9.3f %9.3f %7.3f %8s  %s\n", job.title.c_str(), engine.seconds, peer.seconds, ratio,
                target.c_str(), verdict.c_str());
  }
  constexpr double kMemoryTarget = 64.0;  // MiB
  std::printf("\npeak memory: engine %.1f MiB (target <= %.0f MiB: %s), ffmpeg %.1f MiB\n", engine_peak, kMemoryTarget,
              engine_peak <= kMemoryTarget ? "met" : "MISSED", peer_peak);
  all_met = all_met && engine_peak <= kMemoryTarget;
  fs::remove_all(scratch);
  return all_met ? 0 : 1;
}
