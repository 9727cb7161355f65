// Compares a filter graph of the media streaming layer with the ffplay, ffprobe and ffmpeg programs
// on the engine benchmark's 10-minute 720p H.264 + AAC video, in the same run:
//   preview with the video hidden: CPU time of 10 s, against ffplay -nodisp
//   preview with the video shown (offscreen): CPU time of 10 s, against ffplay on SDL's offscreen
//     video driver; and the peak memory of the two
//   opening the file until the graph is ready to play, against ffprobe reading it
//   seeking to 8:00 and playing until the first sound reaches the device, against
//     ffmpeg -ss 480 -i FILE -t 0.1 -f null -
// Sound goes to SDL's disk driver on both sides. Each measurement of the graph runs in a child
// process of this program, as the peers do. Prints ratios and targets; exits 0 when all are met.
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

#include "bench/engine/benchmark_input.h"
#include "platform/com/class_registry.h"
#include "platform/dshow/dshow.h"

namespace {

constexpr int kPreviewSeconds = 10;

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

int GraphChild(const std::string& mode, const std::string& file, const std::string& capture) {
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
    LONGLONG target = 480 * UNITS;
    graph.As<IMediaSeeking>()->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    control->Run();
    while (!AnySound(capture) && timer.elapsed() < 10000) Turn(1);
    std::printf("%f\n", timer.nsecsElapsed() / 1e9);
    control->Stop();
    return 0;
  }
  control->Run();
  Turn(kPreviewSeconds * 1000);
  int drawn = 0;
  if (ComPtr<IBaseFilter> renderer = FindRenderer(graph.Get())) renderer.As<IQualProp>()->get_FramesDrawn(&drawn);
  control->Stop();
  std::printf("%d\n", drawn);  // frames shown
  return 0;
}

// ---- the comparison ----

double Best(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

bool Report(const char* what, double ours, double theirs, double target, const char* unit) {
  const double ratio = theirs > 0 ? ours / theirs : 0;
  const bool met = ratio > 0 && ratio <= target;
  std::printf("%-44s graph %8.3f %s   peer %8.3f %s   ratio %5.2f  (target <= %.1f) %s\n", what, ours, unit, theirs,
              unit, ratio, target, met ? "met" : "NOT MET");
  return met;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--child") return GraphChild(argv[2], argv[3], argv[4]);
  int runs = 3;
  std::string cache = engine_bench::cache_folder();
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
    if (std::string(argv[i]) == "--cache") cache = argv[i + 1];
  }
  const std::string file = engine_bench::benchmark_input(cache);
  const std::string capture = "/tmp/sonvarra-graph-benchmark-" + std::to_string(::getpid()) + ".raw";
  const std::vector<std::string> sound = {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + capture,
                                          "QT_QPA_PLATFORM=offscreen"};
  auto child = [&](const std::string& mode) { return Measure({Self(), "--child", mode, file, capture}, sound); };
  const std::string seconds = std::to_string(kPreviewSeconds);
  bool all = true;

  std::vector<double> oursOpen, peerOpen, oursSeek, peerSeek;
  for (int i = 0; i < runs; ++i) {
    oursOpen.push_back(child("open").reported);
    peerOpen.push_back(Measure({"ffprobe", "-v", "error", "-show_format", "-show_streams", file}, {}).wall);
    oursSeek.push_back(child("seek").reported);
    peerSeek.push_back(
        Measure({"ffmpeg", "-nostdin", "-v", "error", "-ss", "480", "-i", file, "-t", "0.1", "-f", "null", "-"}, {})
            .wall);
  }
  all &= Report("open, ready to play (s)", Best(oursOpen), Best(peerOpen), 1.5, "s");
  all &= Report("seek to 8:00 and first sound (s)", Best(oursSeek), Best(peerSeek), 1.5, "s");

  const Run hidden = child("hidden");
  const Run peerHidden = Measure({"ffplay", "-nodisp", "-autoexit", "-t", seconds, file}, sound);
  all &= Report("CPU, 10 s preview, video hidden (s)", hidden.cpu, peerHidden.cpu, 1.2, "s");

  std::vector<std::string> offscreen = sound;
  offscreen.push_back("SDL_VIDEODRIVER=offscreen");
  const Run shown = child("shown");
  std::printf("(pictures shown by the graph in 10 s: hidden %.0f, shown %.0f)\n", hidden.reported, shown.reported);
  const Run peerShown = Measure({"ffplay", "-autoexit", "-t", seconds, file}, offscreen);
  all &= Report("CPU, 10 s preview, video shown offscreen (s)", shown.cpu, peerShown.cpu, 1.2, "s");
  all &= Report("peak memory, video shown (MiB)", shown.peakMiB, peerShown.peakMiB, 1.5, "MiB");
  std::remove(capture.c_str());
  return all ? 0 : 1;
}
