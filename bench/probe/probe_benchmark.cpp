// Time per file of Add (the engine's duration probe) against ffprobe, on the same 50 files.
//
//   probe_benchmark [--runs N]
//   probe_benchmark --quick     one run on one file of each container, the target not enforced
//
// Exits 0 when the target is met, 1 when it is missed, 2 when Add or ffprobe failed.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/file_items.h"
#include "app/main_window.h"
#include "app/progress_dialog.h"
#include "app/system_components.h"
#include "settings/settings_dialog.h"
#include "test_media.h"
#include "tests/support/temp_places.h"
#include "tests/ui_support/scripted_dialogs.h"
#include "timed_process.h"

namespace fs = std::filesystem;

namespace {

constexpr double kTarget = 1.5;
constexpr int kFiles = 50;
constexpr int kQuickFiles = 10;  // one of each container

std::vector<std::string> MakeFiles(const std::string& folder, int count) {
  const char* clips[] = {"clip.avi", "clip.mp4", "clip.mkv", "clip.mov", "clip.flv",
                         "clip.mpg", "clip.wmv", "clip.3gp", "long.wav", "pcm.mov"};
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) {
    const std::string clip = clips[i % 10];
    const fs::path target = fs::path(folder) / (std::to_string(i) + "-" + clip);
    fs::copy_file(enginebin_test::test_clip(clip), target, fs::copy_options::overwrite_existing);
    files.push_back(target.string());
  }
  return files;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 3;
  int count = kFiles;
  bool quick = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--quick") quick = true;
    if (i + 1 < argc && std::string(argv[i]) == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
  }
  if (quick) {
    runs = 1;
    count = kQuickFiles;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  test_support::TempPlaces places;
  test_support::ScopedDialogs dialogs;
  const std::string folder = places.HomeDir() + "/media";
  fs::create_directories(folder);
  const std::vector<std::string> files = MakeFiles(folder, count);

  TApplication application(argc, argv);
  application.Initialize();
  // The preview player of the main window refuses to start without the system's media player.
  RegisterSystemComponents();
  application.SetTitle("Sonvarra 1.0");
  application.CreateForm(Form1);
  application.CreateForm(Form2);
  application.CreateForm(Form3);

  double bestAdd = 1e9, bestProbe = 1e9;
  for (int run = 0; run < runs; ++run) {
    Form1->sSpeedButton3Click(nullptr);
    dialogs->openAnswers.push_back(std::vector<AnsiString>(files.begin(), files.end()));
    auto start = std::chrono::steady_clock::now();
    Form1->sSpeedButton1Click(nullptr);
    bestAdd = std::min(bestAdd, SecondsSince(start) / count);
    if (static_cast<int>(FileItems.size()) != count || !dialogs->messages.empty()) {
      std::fprintf(stderr, "probe_benchmark: Add listed %zu of %d files\n", FileItems.size(), count);
      for (const auto& message : dialogs->messages) std::fprintf(stderr, "  it said: %s\n", message.text.c_str());
      return 2;
    }

    start = std::chrono::steady_clock::now();
    for (const std::string& file : files) {
      const auto m = engine_bench::run_timed(
          {"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", file});
      if (m.exit_code != 0) {
        std::fprintf(stderr, "probe_benchmark: ffprobe failed on %s\n", file.c_str());
        return 2;
      }
    }
    bestProbe = std::min(bestProbe, SecondsSince(start) / count);
  }

  const double ratio = bestAdd / bestProbe;
  const bool met = ratio <= kTarget;
  std::printf("files: %d, runs: %d (best run counts)\n", count, runs);
  std::printf("Add, per file:     %.4f s\n", bestAdd);
  std::printf("ffprobe, per file: %.4f s\n", bestProbe);
  std::printf("ratio Add/ffprobe: %.3f (target <= %.2f) %s\n", ratio, kTarget,
              quick ? "(quick: not enforced)"
              : met ? "met"
                    : "MISSED");
  return met || quick ? 0 : 1;
}
