// The media player control against its peers on the same 10-minute 720p H.264 + AAC file, in one
// run: CPU time of 10 s of preview with the video hidden (ffplay -nodisp) and shown (ffplay with
// its window, under an X server), time to open (ffprobe), time from a seek to 8:00 to the first
// sound after it (ffmpeg -ss 480 ... -f null -), and peak memory while playing (ffplay).
//
//   player_benchmark [--runs N] [--cache FOLDER]
//   player_benchmark --quick    one run of each on a 10-second clip, targets not enforced
//   player_benchmark --play FILE SECONDS hidden|visible     (one measured preview, for the above)
//
// Exits 0 when every target is met, 1 when one is missed, 2 when the control failed to play, open
// or seek.
#include <unistd.h>
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/benchmark_plan.h"
#include "bench_player.h"
#include "measured_process.h"

namespace player_bench {
namespace {

constexpr RECT kSmall = {0, 0, 320, 268};
constexpr RECT kNative = {0, 0, 1280, 748};  // 1280 x 720 of video over the control bar
constexpr RECT kOutOfSight = {2000, 2000, 2320, 2268};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

std::string CaptureFile(const char* what) {
  return "/tmp/sonvarra-player-bench-" + std::to_string(getpid()) + "-" + what + ".raw";
}

// One preview as the program plays one: open, Play, the given seconds, close.
int PlayChild(int argc, char** argv, const std::string& file, double seconds, bool visible) {
  QApplication application(argc, argv);
  BenchPlayer player(visible ? kNative : kSmall);
  if (visible) {
    win32::WidgetFromHandle(player.Site().Window())->resize(1300, 780);
    player.Place(kNative);
  } else {
    player.Place(kOutOfSight);  // as the program keeps its preview: in place, out of sight
  }
  if (player.Open(file) < 0) return 2;
  if (FAILED(player->Play())) return 3;
  QTimer::singleShot(static_cast<int>(seconds * 1000), &application, &QApplication::quit);
  application.exec();  // an idle event loop, as the program's: no polling of our own to pay for
  player->Stop();
  return 0;
}

using bench_support::BenchmarkPlan;

struct Row {
  std::string what;
  double ours;
  double peer;
  std::string unit;
  double target;
};

bool Print(const BenchmarkPlan& plan, const std::vector<Row>& rows) {
  std::printf("\n%-44s %10s %10s %7s %7s\n", "", "control", "peer", "ratio", "target");
  bool met = true;
  for (const Row& row : rows) {
    const double ratio = row.peer > 0 ? row.ours / row.peer : 0;
    const bool ok = ratio <= row.target;
    met = met && ok;
    std::printf("%-44s %8.3f %s %8.3f %s %7.2f %6.2f %s\n", row.what.c_str(), row.ours, row.unit.c_str(), row.peer,
                row.unit.c_str(), ratio, row.target,
                plan.quick ? "-"
                : ok       ? "ok"
                           : "MISSED");
  }
  if (plan.quick)
    std::printf("\nquick mode: targets not enforced\n");
  else
    std::printf("\n%s\n", met ? "all targets met" : "some targets missed");
  return met;
}

// The control failed where it should have played: no figure of this run means anything.
int Failure(const char* what) {
  std::fprintf(stderr, "player_benchmark: the control %s\n", what);
  return 2;
}

}  // namespace
}  // namespace player_bench

int main(int argc, char** argv) {
  using namespace player_bench;
  if (argc == 5 && std::string(argv[1]) == "--play")
    return PlayChild(argc, argv, argv[2], std::atof(argv[3]), std::string(argv[4]) == "visible");

  const BenchmarkPlan plan = bench_support::ReadPlan(argc, argv, 5);
  const bench_support::BenchmarkInput benchmarkInput(plan);
  const std::string& input = benchmarkInput.File();
  const std::string self = "/proc/self/exe";
  char program[4096] = {};
  if (readlink(self.c_str(), program, sizeof program - 1) <= 0) return 1;
  std::vector<Row> rows;
  const std::string seconds = std::to_string(plan.previewSeconds);
  const std::string preview = seconds + " s preview";

  // CPU time and memory of the preview, each side in a process of its own.
  const Environment hiddenAudio = {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", CaptureFile("hidden")}};
  Environment hidden = hiddenAudio;
  hidden.push_back({"QT_QPA_PLATFORM", "offscreen"});
  std::printf("%s with the video hidden...\n", preview.c_str());
  std::fflush(stdout);
  const ProcessCost oursHidden = RunMeasured({program, "--play", input, seconds, "hidden"}, hidden);
  if (oursHidden.exitCode != 0) return Failure("did not play the hidden preview");
  const ProcessCost ffplayHidden =
      RunMeasured({"ffplay", "-nodisp", "-autoexit", "-t", seconds, "-loglevel", "error", input}, hiddenAudio);
  rows.push_back(
      {"CPU, " + preview + ", video hidden / -nodisp", oursHidden.cpuSeconds, ffplayHidden.cpuSeconds, "s ", 1.2});
  rows.push_back(
      {"peak memory, video hidden / -nodisp", oursHidden.peakMebibytes, ffplayHidden.peakMebibytes, "MB", 1.5});

  const char* display = std::getenv("DISPLAY");
  if (display && *display) {
    std::printf("%s with the video shown...\n", preview.c_str());
    std::fflush(stdout);
    Environment shown = {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", CaptureFile("shown")}};
    Environment ourShown = shown;
    ourShown.push_back({"QT_QPA_PLATFORM", "xcb"});
    const ProcessCost oursShown = RunMeasured({program, "--play", input, seconds, "visible"}, ourShown);
    if (oursShown.exitCode != 0) return Failure("did not play the shown preview");
    const ProcessCost ffplayShown =
        RunMeasured({"ffplay", "-autoexit", "-t", seconds, "-loglevel", "error", input}, shown);
    rows.push_back(
        {"CPU, " + preview + ", video shown / ffplay", oursShown.cpuSeconds, ffplayShown.cpuSeconds, "s ", 1.2});
    rows.push_back(
        {"peak memory, video shown / ffplay", oursShown.peakMebibytes, ffplayShown.peakMebibytes, "MB", 1.5});
    if (ffplayShown.exitCode != 0) std::printf("note: ffplay's shown preview ended with %d\n", ffplayShown.exitCode);
  } else {
    std::printf("no X display: the shown preview is skipped (run under xvfb-run -a)\n");
  }
  if (ffplayHidden.exitCode != 0) std::printf("note: ffplay's hidden preview ended with %d\n", ffplayHidden.exitCode);

  // Opening and seeking, in this process.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", CaptureFile("seek").c_str(), 1);
  QApplication application(argc, argv);
  std::printf("opening and seeking, %d runs each...\n", plan.runs);
  std::fflush(stdout);
  const double target = plan.seekSeconds;
  const std::string seekTo = std::to_string(plan.seekSeconds);
  std::vector<double> opens, ffprobes, seeks, ffmpegs;
  for (int run = 0; run < plan.runs; ++run) {
    {
      BenchPlayer player(kOutOfSight);
      opens.push_back(player.Open(input));
      if (opens.back() < 0) return Failure("did not open the input");
    }
    ffprobes.push_back(RunMeasured({"ffprobe", "-v", "error", "-show_format", "-show_streams", input}).wallSeconds);
    {
      BenchPlayer player(kOutOfSight);
      if (player.Open(input) < 0) return Failure("did not open the input");
      RunUntil([] { return false; }, 0.2);  // settled, as a user would be before seeking
      const auto start = std::chrono::steady_clock::now();
      player->put_CurrentPosition(target);
      player->Play();
      // The position is the time of the sound being heard: it leaves the target with the first sound.
      if (!RunUntil([&] { return player.Position() > target + 0.0005; }, 10))
        return Failure("heard nothing after the seek");
      seeks.push_back(SecondsSince(start));
      player->Stop();
    }
    ffmpegs.push_back(
        RunMeasured({"ffmpeg", "-nostdin", "-v", "error", "-ss", seekTo, "-i", input, "-t", "0.1", "-f", "null", "-"})
            .wallSeconds);
  }
  rows.push_back({"open to open state 6 / ffprobe", Median(opens), Median(ffprobes), "s ", 1.5});
  rows.push_back({"seek to " + bench_support::ClockText(plan.seekSeconds) + ", first sound / ffmpeg -ss " + seekTo,
                  Median(seeks), Median(ffmpegs), "s ", 1.5});
  const bool met = Print(plan, rows);
  for (const char* what : {"hidden", "shown", "seek"}) unlink(CaptureFile(what).c_str());
  return met || plan.quick ? 0 : 1;
}
