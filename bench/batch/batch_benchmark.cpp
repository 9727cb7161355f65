// Compares the program's batch with a plain loop of the ffmpeg program doing the same
// conversions of 20 two-second clips, in one run, and prints the time ratio.
//
//   batch_benchmark [--runs N] [--cache FOLDER]

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/batch_state.h"
#include "app/file_items.h"
#include "app/main_window.h"
#include "app/progress_dialog.h"
#include "bench/engine/benchmark_input.h"
#include "bench/engine/timed_process.h"
#include "framework/dialogs.h"
#include "settings/settings_dialog.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kClips = 20;
constexpr double kTarget = 1.3;  // highest acceptable batch / ffmpeg-loop time ratio

// The clips, made once with the ffmpeg program: small H.264 video with AAC stereo, each its own tone.
std::vector<std::string> BenchmarkClips(const std::string& cache) {
  const fs::path folder = fs::path(cache) / "batch-clips-2s-v1";
  fs::create_directories(folder);
  std::vector<std::string> clips;
  for (int i = 0; i < kClips; ++i) {
    const fs::path clip = folder / ("clip" + std::to_string(i) + ".mp4");
    if (!fs::exists(clip)) {
      const fs::path partial = clip.string() + ".partial.mp4";
      const auto made =
          engine_bench::run_timed({"ffmpeg",
                                   "-nostdin",
                                   "-y",
                                   "-v",
                                   "error",
                                   "-f",
                                   "lavfi",
                                   "-i",
                                   "testsrc2=size=640x360:rate=25",
                                   "-f",
                                   "lavfi",
                                   "-i",
                                   "sine=frequency=" + std::to_string(220 + 20 * i) + ":sample_rate=48000",
                                   "-ac",
                                   "2",
                                   "-t",
                                   "2",
                                   "-c:v",
                                   "libx264",
                                   "-preset",
                                   "ultrafast",
                                   "-pix_fmt",
                                   "yuv420p",
                                   "-c:a",
                                   "aac",
                                   partial.string()});
      if (made.exit_code != 0) throw std::runtime_error("ffmpeg could not generate " + clip.string());
      fs::rename(partial, clip);
    }
    clips.push_back(clip.string());
  }
  return clips;
}

// What the program's batch asks of its engine with the default settings, for today's ffmpeg.
double PeerLoopSeconds(const std::vector<std::string>& clips, const fs::path& output, bool& failed) {
  fs::remove_all(output);
  fs::create_directories(output);
  const auto started = Clock::now();
  for (const std::string& clip : clips) {
    const auto run = engine_bench::run_timed({"ffmpeg",
                                              "-nostdin",
                                              "-y",
                                              "-i",
                                              clip,
                                              "-bitexact",
                                              "-acodec",
                                              "libmp3lame",
                                              "-ac",
                                              "2",
                                              "-ar",
                                              "44100",
                                              "-vol",
                                              "256",
                                              "-ab",
                                              "128k",
                                              "-f",
                                              "mp3",
                                              "-ss",
                                              "00:00:00",
                                              "-t",
                                              "00:00:03",
                                              (output / (fs::path(clip).stem().string() + ".mp3")).string()});
    failed = failed || run.exit_code != 0;
  }
  return std::chrono::duration<double>(Clock::now() - started).count();
}

// Answers the closing message at once and keeps its text.
class Answering final : public DialogService {
 public:
  AnsiString last;
  int MessageBox(const AnsiString& text, const AnsiString&, UINT) override {
    last = text;
    return IDOK;
  }
  bool OpenFiles(const OpenDialogRequest&, std::vector<AnsiString>&) override { return false; }
  bool SelectDirectory(const AnsiString&, const AnsiString&, AnsiString&) override { return false; }
};

// From Start to the end of the batch, the clips listed as Add leaves them.
double BatchSeconds(const std::vector<std::string>& clips, const fs::path& output, Answering& dialogs, bool& failed) {
  fs::remove_all(output);
  Form1->sDirectoryEdit1->SetText(output.string());
  for (const std::string& clip : clips) {
    FileItems.push_back({clip, 0, 3});
    TListItem* row = Form1->sListView1->Items().Add();
    row->SetCaption(ExtractFileName(clip));
    row->AddSubItem("00:00:00 - 00:00:03");
    row->AddSubItem("00:00:03");
  }
  dialogs.last.clear();
  const auto started = Clock::now();
  Form1->sSpeedButton4Click(nullptr);
  while (Converting) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  const auto outputs = std::distance(fs::directory_iterator(output), fs::directory_iterator());
  failed = failed || dialogs.last != "Done." || outputs != static_cast<long>(clips.size());
  return seconds;
}

int ParseRuns(const char* text) {
  const int runs = std::atoi(text);
  return runs > 0 ? runs : 3;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 3;
  std::string cache = engine_bench::cache_folder();
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--runs") runs = ParseRuns(argv[i + 1]);
    if (option == "--cache") cache = argv[i + 1];
  }
  const std::vector<std::string> clips = BenchmarkClips(cache);

  // The program's per-user places (work folder, temporary files, settings) go to a scratch folder.
  std::string scratchPattern = (fs::temp_directory_path() / "sonvarra-batch-bench-XXXXXX").string();
  if (mkdtemp(scratchPattern.data()) == nullptr) return 2;
  const fs::path scratch = scratchPattern;
  for (const char* sub : {"windows", "temp", "home", "program"}) fs::create_directories(scratch / sub);
  setenv("SONVARRA_WINDOWS_DIR", (scratch / "windows").c_str(), 1);
  setenv("SONVARRA_TEMP_DIR", (scratch / "temp").c_str(), 1);
  setenv("SONVARRA_HOME_DIR", (scratch / "home").c_str(), 1);
  setenv("SONVARRA_MODULE_PATH", (scratch / "program" / "sonvarra").c_str(), 1);
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);

  double batchBest = 1e300, peerBest = 1e300;
  bool batchFailed = false, peerFailed = false;
  {
    TApplication application(argc, argv);
    Application->Initialize();
    auto answering = std::make_unique<Answering>();
    Answering& dialogs = *answering;
    SetDialogService(std::move(answering));
    Application->SetTitle("Sonvarra 1.0");
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Application->CreateForm(Form3);
    Form1->Show();

    std::printf("%d clips of 2 s (%s), MP3 with the default settings\nbest of %d runs each, alternating\n\n", kClips,
                fs::path(clips.front()).parent_path().c_str(), runs);
    for (int run = 0; run < runs; ++run) {
      peerBest = std::min(peerBest, PeerLoopSeconds(clips, scratch / "ffmpeg", peerFailed));
      batchBest = std::min(batchBest, BatchSeconds(clips, scratch / "batch", dialogs, batchFailed));
    }
  }
  fs::remove_all(scratch);

  const double ratio = batchBest / peerBest;
  const char* verdict = batchFailed        ? "BATCH FAILED"
                        : peerFailed       ? "FFMPEG FAILED"
                        : ratio <= kTarget ? "met"
                                           : "MISSED";
  std::printf("%-28s %9s %9s %7s %8s\n", "job", "batch s", "ffmpeg s", "ratio", "target");
  std::printf("%-28s %9.3f %9.3f %7.3f %8s  %s\n", "20 x 2 s clips to MP3", batchBest, peerBest, ratio, "<= 1.3",
              verdict);
  return !batchFailed && !peerFailed && ratio <= kTarget ? 0 : 1;
}
