// The media player control against its peers on the same 10-minute 720p H.264 + AAC file, in one
// run: CPU time of 10 s of preview with the video hidden (ffplay -nodisp) and shown (ffplay with
// its window, under an X server), time to open (ffprobe), time from a seek to 8:00 to the first
// sound after it (ffmpeg -ss 480 ... -f null -), and peak memory while playing (ffplay).
//
//   player_benchmark [--runs N] [--cache FOLDER]
//   player_benchmark --play FILE SECONDS hidden|visible     (one measured preview, for the above)
#include <unistd.h>
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/engine/benchmark_input.h"
#include "bench_player.h"
#include "measured_process.h"

namespace player_bench {
namespace {

constexpr double kPreviewSeconds = 10;
constexpr double kSeekTarget = 480;
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

struct Row {
  std::string what;
  double ours;
  double peer;
  std::string unit;
  double target;
};

bool Print(const std::vector<Row>& rows) {
  std::printf("\n%-44s %10s %10s %7s %7s\n", "", "control", "peer", "ratio", "target");
  bool met = true;
  for (const Row& row : rows) {
    const double ratio = row.peer > 0 ? row.ours / row.peer : 0;
    const bool ok = ratio <= row.target;
    met = met && ok;
    std::printf("%-44s %8.3f %s %8.3f %s %7.2f %6.2f %s\n", row.what.c_str(), row.ours, row.unit.c_str(), row.peer,
                row.unit.c_str(), ratio, row.target, ok ? "ok" : "MISSED");
  }
  std::printf("\n%s\n", met ? "all targets met" : "some targets missed");
  return met;
}

}  // namespace
}  // namespace player_bench

int main(int argc, char** argv) {
  using namespace player_bench;
  if (argc == 5 && std::string(argv[1]) == "--play")
    return PlayChild(argc, argv, argv[2], std::atof(argv[3]), std::string(argv[4]) == "visible");

  int runs = 5;
  std::string cache = engine_bench::cache_folder();
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
    if (option == "--cache") cache = argv[i + 1];
  }
  const std::string input = engine_bench::benchmark_input(cache);
  const std::string self = "/proc/self/exe";
  char program[4096] = {};
  if (readlink(self.c_str(), program, sizeof program - 1) <= 0) return 1;
  std::vector<Row> rows;

  // CPU time and memory of 10 s of preview, each side in a process of its own.
  const Environment hiddenAudio = {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", CaptureFile("hidden")}};
  Environment hidden = hiddenAudio;
  hidden.push_back({"QT_QPA_PLATFORM", "offscreen"});
  std::printf("10 s of preview with the video hidden...\n");
  std::fflush(stdout);
  const ProcessCost oursHidden = RunMeasured({program, "--play", input, "10", "hidden"}, hidden);
  const ProcessCost ffplayHidden =
      RunMeasured({"ffplay", "-nodisp", "-autoexit", "-t", "10", "-loglevel", "error", input}, hiddenAudio);
  rows.push_back(
      {"CPU, 10 s preview, video hidden / -nodisp", oursHidden.cpuSeconds, ffplayHidden.cpuSeconds, "s ", 1.2});
  rows.push_back(
      {"peak memory, video hidden / -nodisp", oursHidden.peakMebibytes, ffplayHidden.peakMebibytes, "MB", 1.5});

  const char* display = std::getenv("DISPLAY");
  if (display && *display) {
    std::printf("10 s of preview with the video shown...\n");
    std::fflush(stdout);
    Environment shown = {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", CaptureFile("shown")}};
    Environment ourShown = shown;
    ourShown.push_back({"QT_QPA_PLATFORM", "xcb"});
    const ProcessCost oursShown = RunMeasured({program, "--play", input, "10", "visible"}, ourShown);
    const ProcessCost ffplayShown =
        RunMeasured({"ffplay", "-autoexit", "-t", "10", "-loglevel", "error", input}, shown);
    rows.push_back(
        {"CPU, 10 s preview, video shown / ffplay", oursShown.cpuSeconds, ffplayShown.cpuSeconds, "s ", 1.2});
    rows.push_back(
        {"peak memory, video shown / ffplay", oursShown.peakMebibytes, ffplayShown.peakMebibytes, "MB", 1.5});
    if (oursShown.exitCode != 0 || ffplayShown.exitCode != 0)
      std::printf("note: a shown preview ended with %d (control) / %d (ffplay)\n", oursShown.exitCode,
                  ffplayShown.exitCode);
  } else {
    std::printf("no X display: the shown preview is skipped (run under xvfb-run -a)\n");
  }
  if (oursHidden.exitCode != 0 || ffplayHidden.exitCode != 0)
    std::printf("note: a hidden preview ended with %d (control) / %d (ffplay)\n", oursHidden.exitCode,
                ffplayHidden.exitCode);

  // Opening and seeking, in this process.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", CaptureFile("seek").c_str(), 1);
  QApplication application(argc, argv);
  std::printf("opening and seeking, %d runs each...\n", runs);
  std::fflush(stdout);
  std::vector<double> opens, ffprobes, seeks, ffmpegs;
  for (int run = 0; run < runs; ++run) {
    {
      BenchPlayer player(kOutOfSight);
      opens.push_back(player.Open(input));
    }
    ffprobes.push_back(RunMeasured({"ffprobe", "-v", "error", "-show_format", "-show_streams", input}).wallSeconds);
    {
      BenchPlayer player(kOutOfSight);
      if (player.Open(input) < 0) continue;
      RunUntil([] { return false; }, 0.2);  // settled, as a user would be before seeking
      const auto start = std::chrono::steady_clock::now();
      player->put_CurrentPosition(kSeekTarget);
      player->Play();
      // The position is the time of the sound being heard: it leaves the target with the first sound.
      RunUntil([&] { return player.Position() > kSeekTarget + 0.0005; }, 10);
      seeks.push_back(SecondsSince(start));
      player->Stop();
    }
    ffmpegs.push_back(
        RunMeasured({"ffmpeg", "-nostdin", "-v", "error", "-ss", "480", "-i", input, "-t", "0.1", "-f", "null", "-"})
            .wallSeconds);
  }
  rows.push_back({"open to open state 6 / ffprobe", Median(opens), Median(ffprobes), "s ", 1.5});
  rows.push_back({"seek to 8:00, first sound / ffmpeg -ss 480", Median(seeks), Median(ffmpegs), "s ", 1.5});
  const bool met = Print(rows);
  for (const char* what : {"hidden", "shown", "seek"}) unlink(CaptureFile(what).c_str());
  return met ? 0 : 1;
}
