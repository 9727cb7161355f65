// Compares a filter graph of the media streaming layer with the ffplay, ffprobe and ffmpeg programs
// on the engine benchmark's 10-minute 720p H.264 + AAC video, in the same run:
//   preview with the video hidden: CPU time of 10 s, against ffplay -nodisp
//   preview with the video shown (offscreen): CPU time of 10 s, against ffplay on SDL's offscreen
//     video driver; and the peak memory of the two
//   opening the file until the graph is ready to play, against ffprobe reading it
//   seeking to 8:00 and playing until the first sound reaches the device, against
//     ffmpeg -ss 480 -i FILE -t 0.1 -f null -
// Sound goes to SDL's disk driver on both sides. Each measurement of the graph runs in a child
// process of this program, as the peers do. Prints ratios and targets; exits 0 when all are met,
// 2 when a measurement of the graph failed.
//
//   graph_benchmark [--runs N] [--cache FOLDER]
//   graph_benchmark --quick      one run of each on a 10-second clip, targets not enforced
//   graph_benchmark --child MODE FILE CAPTURE PREVIEW_SECONDS SEEK_SECONDS   (one measurement)
#include <SDL2/SDL.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/benchmark_plan.h"
#include "platform/com/class_registry.h"
#include "platform/dshow/dshow.h"

namespace {

using bench_support::BenchmarkPlan;

struct Run {
  double wall = 0;       // seconds
  double cpu = 0;        // user + system seconds
  double peakMiB = 0;    // largest resident set
  double reported = -1;  // what a graph child measured itself, seconds
  bool ok = false;
};

std::string Self() {
  char path[4096] = {};
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : "graph_benchmark";
}

// Runs a program with the given extra environment; a graph child's stdout gives its own figure.
Run Measure(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return {};
  const auto started = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    for (const auto& setting : environment) ::putenv(const_cast<char*>(setting.c_str()));
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(pipeEnds[1], 1);
    ::dup2(null, 2);
    ::close(pipeEnds[0]);
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(pipeEnds[1]);
  std::string output;
  char buffer[256];
  for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    output.append(buffer, static_cast<std::size_t>(n));
  ::close(pipeEnds[0]);
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  Run run;
  run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  run.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
  run.peakMiB = usage.ru_maxrss / 1024.0;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!output.empty()) run.reported = std::atof(output.c_str());
  return run;
}

// ---- the graph side, in a child process ----

bool AnySound(const std::string& capture) {
  std::ifstream in(capture, std::ios::binary);
  char buffer[8192];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
    for (std::streamsize i = 0; i < in.gcount(); ++i)
      if (buffer[i] != 0) return true;
  return false;
}

// Runs the event loop (waiting, not spinning) for that long.
void Turn(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

ComPtr<IBaseFilter> FindRenderer(IGraphBuilder* graph) {
  ComPtr<IBaseFilter> renderer;
  graph->FindFilterByName(u"Video Renderer", renderer.Put());
  return renderer;
}

int GraphChild(const std::string& mode, const std::string& file, const std::string& capture, int previewSeconds,
               int seekSeconds) {
  int argc = 1;
  char name[] = "graph_benchmark";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  dshow::RegisterClasses();
  ComPtr<IGraphBuilder> graph;
  if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid())))
    return 1;
  ComPtr<IMediaControl> control = graph.As<IMediaControl>();
  QElapsedTimer timer;
  timer.start();
  const std::u16string wide = com::Utf8ToUtf16(file);
  if (FAILED(graph->RenderFile(wide.c_str(), nullptr))) return 1;
  if (mode != "shown") graph.As<IVideoWindow>()->put_AutoShow(OAFALSE);
  control->Pause();
  OAFilterState state;
  control->GetState(10000, &state);
  if (mode == "open") {
    std::printf("%f\n", timer.nsecsElapsed() / 1e9);
    return 0;
  }
  if (mode == "seek") {
    timer.restart();
    LONGLONG target = seekSeconds * UNITS;
    graph.As<IMediaSeeking>()->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    control->Run();
    while (!AnySound(capture) && timer.elapsed() < 10000) Turn(1);
    std::printf("%f\n", timer.nsecsElapsed() / 1e9);
    control->Stop();
    return 0;
  }
  control->Run();
  Turn(previewSeconds * 1000);
  int drawn = 0;
  if (ComPtr<IBaseFilter> renderer = FindRenderer(graph.Get())) renderer.As<IQualProp>()->get_FramesDrawn(&drawn);
  control->Stop();
  std::printf("%d\n", drawn);  // frames shown
  return 0;
}

// ---- the comparison ----

double Best(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

bool Report(const BenchmarkPlan& plan, const std::string& what, double ours, double theirs, double target,
            const char* unit) {
  const double ratio = theirs > 0 ? ours / theirs : 0;
  const bool met = ratio > 0 && ratio <= target;
  std::printf("%-44s graph %8.3f %s   peer %8.3f %s   ratio %5.2f  (target <= %.1f) %s\n", what.c_str(), ours, unit,
              theirs, unit, ratio, target,
              plan.quick ? "(quick: not enforced)"
              : met      ? "met"
                         : "NOT MET");
  return met;
}

// A measurement of the graph that failed makes every figure meaningless.
bool Failed(const Run& run, const char* mode) {
  if (run.ok) return false;
  std::fprintf(stderr, "graph_benchmark: the graph's %s measurement failed\n", mode);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 7 && std::string(argv[1]) == "--child")
    return GraphChild(argv[2], argv[3], argv[4], std::atoi(argv[5]), std::atoi(argv[6]));
  const BenchmarkPlan plan = bench_support::ReadPlan(argc, argv, 3);
  const bench_support::BenchmarkInput input(plan);
  const std::string& file = input.File();
  const std::string capture = "/tmp/sonvarra-graph-benchmark-" + std::to_string(::getpid()) + ".raw";
  const std::vector<std::string> sound = {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + capture,
                                          "QT_QPA_PLATFORM=offscreen"};
  const std::string seconds = std::to_string(plan.previewSeconds);
  const std::string seekTo = std::to_string(plan.seekSeconds);
  bool failed = false;
  auto child = [&](const char* mode) {
    const Run run = Measure({Self(), "--child", mode, file, capture, seconds, seekTo}, sound);
    failed = Failed(run, mode) || failed;
    return run;
  };
  bool all = true;

  std::vector<double> oursOpen, peerOpen, oursSeek, peerSeek;
  for (int i = 0; i < plan.runs; ++i) {
    oursOpen.push_back(child("open").reported);
    peerOpen.push_back(Measure({"ffprobe", "-v", "error", "-show_format", "-show_streams", file}, {}).wall);
    oursSeek.push_back(child("seek").reported);
    peerSeek.push_back(
        Measure({"ffmpeg", "-nostdin", "-v", "error", "-ss", seekTo, "-i", file, "-t", "0.1", "-f", "null", "-"}, {})
            .wall);
  }
  const std::string seekRow = "seek to " + bench_support::ClockText(plan.seekSeconds) + " and first sound (s)";
  all &= Report(plan, "open, ready to play (s)", Best(oursOpen), Best(peerOpen), 1.5, "s");
  all &= Report(plan, seekRow, Best(oursSeek), Best(peerSeek), 1.5, "s");

  const Run hidden = child("hidden");
  const Run peerHidden = Measure({"ffplay", "-nodisp", "-autoexit", "-t", seconds, file}, sound);
  const std::string preview = seconds + " s preview";
  all &= Report(plan, "CPU, " + preview + ", video hidden (s)", hidden.cpu, peerHidden.cpu, 1.2, "s");

  std::vector<std::string> offscreen = sound;
  offscreen.push_back("SDL_VIDEODRIVER=offscreen");
  const Run shown = child("shown");
  std::printf("(pictures shown by the graph in %s s: hidden %.0f, shown %.0f)\n", seconds.c_str(), hidden.reported,
              shown.reported);
  const Run peerShown = Measure({"ffplay", "-autoexit", "-t", seconds, file}, offscreen);
  all &= Report(plan, "CPU, " + preview + ", video shown offscreen (s)", shown.cpu, peerShown.cpu, 1.2, "s");
  all &= Report(plan, "peak memory, video shown (MiB)", shown.peakMiB, peerShown.peakMiB, 1.5, "MiB");
  std::remove(capture.c_str());
  if (failed) return 2;
  return all || plan.quick ? 0 : 1;
}
