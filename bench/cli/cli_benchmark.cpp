// Compares sonvarra-cli with the ffmpeg program converting the same files to MP3 in one run: a
// plain loop of ffmpeg, one file after the other, and `xargs -P2 ffmpeg`, two at a time.
//
//   cli_benchmark [--runs N] [--cache FOLDER]   20 clips of 2 s and 4 files of 10 min, targets
//   cli_benchmark --quick                       3 clips and 1 file of 20 s, one run, no target

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/engine/benchmark_input.h"
#include "bench/engine/timed_process.h"

namespace {

namespace fs = std::filesystem;

constexpr double kLoopTarget = 0.60;   // highest acceptable cli / ffmpeg-loop time ratio
constexpr double kXargsTarget = 1.10;  // highest acceptable cli / xargs -P2 time ratio

// What ffmpeg is asked to do is what the command does by default: the audio to MP3 at 128 kbit/s,
// the source's rate and channels.
const char* const kPeerOptions = "-nostdin -v error -y";
const char* const kPeerOutputOptions = "-vn -c:a libmp3lame -b:a 128k";

struct Workload {
  int clips = 0;       // of two seconds, 640x360
  int long_files = 0;  // of long_seconds, 320x180
  int long_seconds = 0;
};

// The words of a command line that holds no quoted blanks.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// Video with a stereo mix of a tone and pink noise, different for each seed.
std::vector<std::string> Recipe(int seconds, const std::string& size, int seed) {
  return Words("-f lavfi -i testsrc2=size=" + size +
               ":rate=25 -f lavfi -i sine=frequency=" + std::to_string(220 + 20 * seed) +
               ":sample_rate=48000 -f lavfi -i anoisesrc=color=pink:amplitude=0.1:sample_rate=48000:seed=" +
               std::to_string(seed + 1) +
               " -filter_complex [1:a][2:a]amix=inputs=2,aformat=channel_layouts=stereo[a] -map 0:v -map [a] -t " +
               std::to_string(seconds) + " -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac");
}

std::vector<std::string> Inputs(const Workload& work, const fs::path& folder) {
  fs::create_directories(folder);
  std::vector<std::string> inputs;
  for (int i = 0; i < work.clips; ++i)
    inputs.push_back(engine_bench::made_with_ffmpeg((folder / ("clip" + std::to_string(i) + ".mp4")).string(),
                                                    Recipe(2, "640x360", i)));
  for (int i = 0; i < work.long_files; ++i) {
    const std::string name = "long" + std::to_string(i) + "-" + std::to_string(work.long_seconds) + "s.mp4";
    inputs.push_back(
        engine_bench::made_with_ffmpeg((folder / name).string(), Recipe(work.long_seconds, "320x180", 100 + i)));
  }
  return inputs;
}

struct Side {
  const char* name;
  double best = 1e300;
  bool failed = false;
};

// Wall-clock seconds of one side's run into a fresh folder, which must then hold every output.
double Timed(Side& side, const fs::path& output, std::size_t expected, const std::function<bool()>& run) {
  fs::remove_all(output);
  fs::create_directories(output);
  const auto started = std::chrono::steady_clock::now();
  const bool ran = run();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const auto written =
      static_cast<std::size_t>(std::distance(fs::directory_iterator(output), fs::directory_iterator()));
  side.failed = side.failed || !ran || written != expected;
  side.best = std::min(side.best, seconds);
  return seconds;
}

bool Loop(const std::vector<std::string>& inputs, const fs::path& output) {
  bool ok = true;
  for (const std::string& input : inputs) {
    std::vector<std::string> command = Words(std::string("ffmpeg ") + kPeerOptions + " -i");
    command.push_back(input);
    for (const std::string& word : Words(kPeerOutputOptions)) command.push_back(word);
    command.push_back((output / (fs::path(input).stem().string() + ".mp3")).string());
    ok = engine_bench::run_timed(command).exit_code == 0 && ok;
  }
  return ok;
}

bool Xargs(const fs::path& list, const fs::path& output) {
  const std::string script = std::string("ffmpeg ") + kPeerOptions + " -i \"$2\" " + kPeerOutputOptions +
                             " \"$1/$(basename \"${2%.*}\").mp3\"";
  return engine_bench::run_timed(
             {"xargs", "-P2", "-n1", "-a", list.string(), "sh", "-c", script, "sh", output.string()})
             .exit_code == 0;
}

bool Cli(const std::vector<std::string>& inputs, const fs::path& output) {
  std::vector<std::string> command = {SONVARRA_CLI_PROGRAM, "-o", output.string()};
  command.insert(command.end(), inputs.begin(), inputs.end());
  return engine_bench::run_timed(command).exit_code == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const auto [runs, quick, cache] = engine_bench::parse_benchmark_options(argc, argv);
  const Workload work = quick ? Workload{3, 1, 20} : Workload{20, 4, 600};

  // The command's per-user places, the outputs and a quick run's inputs go to a scratch folder.
  std::string pattern = (fs::temp_directory_path() / "sonvarra-cli-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return 2;
  const fs::path scratch = pattern;
  for (const char* sub : {"windows", "temp", "home"}) fs::create_directories(scratch / sub);
  setenv("SONVARRA_WINDOWS_DIR", (scratch / "windows").c_str(), 1);
  setenv("SONVARRA_TEMP_DIR", (scratch / "temp").c_str(), 1);
  setenv("SONVARRA_HOME_DIR", (scratch / "home").c_str(), 1);

  std::vector<std::string> inputs;
  try {
    inputs = Inputs(work, quick ? scratch / "inputs" : fs::path(cache) / "cli-inputs-v1");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    fs::remove_all(scratch);
    return 2;
  }
  const fs::path list = scratch / "inputs.txt";
  {
    std::ofstream listed(list);
    for (const std::string& input : inputs) listed << input << "\n";
  }

  std::printf("%d clips of 2 s and %d files of %d s (%s) to MP3 at 128 kbit/s, %u cores\n", work.clips, work.long_files,
              work.long_seconds, fs::path(inputs.front()).parent_path().c_str(), std::thread::hardware_concurrency());
  std::printf("best of %d runs each, the three sides taking turns to go first\n\n", runs);
  Side cli{"sonvarra-cli"}, loop{"ffmpeg loop"}, xargs{"xargs -P2 ffmpeg"};
  for (int run = 0; run < runs; ++run) {
    const std::function<void()> sides[] = {
        [&] { Timed(cli, scratch / "cli", inputs.size(), [&] { return Cli(inputs, scratch / "cli"); }); },
        [&] { Timed(loop, scratch / "loop", inputs.size(), [&] { return Loop(inputs, scratch / "loop"); }); },
        [&] { Timed(xargs, scratch / "xargs", inputs.size(), [&] { return Xargs(list, scratch / "xargs"); }); },
    };
    for (int side = 0; side < 3; ++side) sides[(run + side) % 3]();
  }
  fs::remove_all(scratch);

  const double overLoop = cli.best / loop.best, overXargs = cli.best / xargs.best;
  const bool failed = cli.failed || loop.failed || xargs.failed;
  const auto verdict = [&](double ratio, double target) {
    if (failed) return cli.failed ? "CLI FAILED" : "PEER FAILED";
    if (quick) return "(quick: no target)";
    return ratio <= target ? "met" : "MISSED";
  };
  std::printf("%-18s %10s\n", "side", "best s");
  for (const Side* side : {&cli, &loop, &xargs})
    std::printf("%-18s %10.3f%s\n", side->name, side->best, side->failed ? "  FAILED" : "");
  std::printf("\n%-26s %7s %8s\n", "ratio", "value", "target");
  std::printf("%-26s %7.3f %8s  %s\n", "sonvarra-cli / ffmpeg loop", overLoop, "<= 0.60",
              verdict(overLoop, kLoopTarget));
  std::printf("%-26s %7.3f %8s  %s\n", "sonvarra-cli / xargs -P2", overXargs, "<= 1.10",
              verdict(overXargs, kXargsTarget));
  if (failed) return 1;
  return quick || (overLoop <= kLoopTarget && overXargs <= kXargsTarget) ? 0 : 1;
}
