// Compares the program's batch (Start to the closing "Done.") with the ffmpeg program doing the
// same conversions, in one run: 20 two-second clips against a plain loop of ffmpeg, and four
// 10-minute files against a loop of ffmpeg and against two ffmpeg processes at a time (as
// `xargs -P2` runs them). MP3 with the program's default settings throughout.
//
//   batch_benchmark [--runs N] [--cache FOLDER] [--quick]
//
// --quick: one run on 4 clips and two 45-second files, no target enforced; it fails only when a
// conversion does.

#include <sys/wait.h>
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/batch_state.h"
#include "app/file_items.h"
#include "app/main_window.h"
#include "app/progress_dialog.h"
#include "app/system_components.h"
#include "app/time_codes.h"
#include "bench/engine/benchmark_input.h"
#include "bench/engine/timed_process.h"
#include "framework/dialogs.h"
#include "settings/settings_dialog.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The clips, made once with the ffmpeg program: small H.264 video with AAC stereo, each its own tone.
std::vector<std::string> BenchmarkClips(const std::string& cache, int count) {
  const fs::path folder = fs::path(cache) / "batch-clips-2s-v1";
  fs::create_directories(folder);
  std::vector<std::string> clips;
  for (int i = 0; i < count; ++i) {
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

// Long files under names of their own: links to the engine benchmark's input (the same work each).
std::vector<std::string> LongFiles(const std::string& cache, bool quick, int count) {
  const std::string input = engine_bench::benchmark_input(cache, quick);
  const fs::path folder = fs::path(cache) / (quick ? "batch-long-quick" : "batch-long");
  fs::create_directories(folder);
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) {
    const fs::path file = folder / ("film" + std::to_string(i) + ".mp4");
    if (!fs::exists(file)) {
      std::error_code linked;
      fs::create_hard_link(input, file, linked);
      if (linked) fs::copy_file(input, file);
    }
    files.push_back(file.string());
  }
  return files;
}

// What the program's batch asks of its engine with the default settings, for today's ffmpeg.
std::vector<std::string> PeerCommand(const std::string& source, const std::string& length, const fs::path& output) {
  std::vector<std::string> command = {"ffmpeg", "-nostdin", "-y", "-i", source};
  const std::vector<std::string> audio = engine_bench::default_audio_options("libmp3lame", "128k", "mp3");
  command.insert(command.end(), audio.begin(), audio.end());
  command.insert(command.end(), {"-ss", "00:00:00", "-t", length});
  command.push_back((output / (fs::path(source).stem().string() + ".mp3")).string());
  return command;
}

// The conversions, at most `at_once` at a time, each started as soon as one ends (as xargs -P does).
double PeerSeconds(const std::vector<std::string>& sources, const std::string& length, const fs::path& output,
                   int at_once, bool& failed) {
  fs::remove_all(output);
  fs::create_directories(output);
  const auto started = Clock::now();
  std::size_t next = 0;
  int running = 0;
  while (next < sources.size() || running > 0) {
    while (running < at_once && next < sources.size()) {
      engine_bench::start_quietly(PeerCommand(sources[next++], length, output));
      ++running;
    }
    int status = 0;
    if (wait(&status) < 0) break;
    --running;
    failed = failed || !WIFEXITED(status) || WEXITSTATUS(status) != 0;
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

// From Start to the end of the batch, the sources listed as Add leaves them.
double BatchSeconds(const std::vector<std::string>& sources, int seconds, const fs::path& output, Answering& dialogs,
                    bool& failed) {
  fs::remove_all(output);
  fs::create_directories(output);
  Form1->sDirectoryEdit1->SetText(output.string());
  const AnsiString length = SecondsToTime(false, seconds);
  for (const std::string& source : sources) {
    FileItems.push_back({source, 0, seconds});
    TListItem* row = Form1->sListView1->Items().Add();
    row->SetCaption(ExtractFileName(source));
    row->AddSubItem("00:00:00 - " + length);
    row->AddSubItem(length);
  }
  dialogs.last.clear();
  const auto started = Clock::now();
  Form1->sSpeedButton4Click(nullptr);
  while (Converting) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  const double elapsed = std::chrono::duration<double>(Clock::now() - started).count();
  const auto outputs = std::distance(fs::directory_iterator(output), fs::directory_iterator());
  failed = failed || dialogs.last != "Done." || outputs != static_cast<long>(sources.size());
  return elapsed;
}

struct Row {
  const char* title;
  double batch;
  double peer;
  std::optional<double> target;
};

}  // namespace

int main(int argc, char** argv) {
  const engine_bench::BenchmarkOptions options = engine_bench::parse_benchmark_options(argc, argv);
  const int runs = options.runs;
  const bool quick = options.quick;
  const std::string& cache = options.cache;
  const std::vector<std::string> clips = BenchmarkClips(cache, quick ? 4 : 20);
  const std::vector<std::string> films = LongFiles(cache, quick, quick ? 2 : 4);
  const int film_seconds = quick ? 45 : 600;
  const std::string film_length = quick ? "00:00:45" : "00:10:00";

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
  if (std::getenv("SDL_AUDIODRIVER") == nullptr) setenv("SDL_AUDIODRIVER", "dummy", 1);

  double clipsBatch = 1e300, clipsLoop = 1e300, filmsBatch = 1e300, filmsLoop = 1e300, filmsPairs = 1e300;
  bool batchFailed = false, peerFailed = false;
  {
    TApplication application(argc, argv);
    Application->Initialize();
    // As the program itself does: the main window's preview player needs the media player.
    RegisterSystemComponents();
    auto answering = std::make_unique<Answering>();
    Answering& dialogs = *answering;
    SetDialogService(std::move(answering));
    Application->SetTitle("Sonvarra 1.0");
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Application->CreateForm(Form3);
    Form1->Show();

    std::printf(
        "%zu clips of 2 s (%s) and %zu files of %d s (%s), MP3 with the default settings\n"
        "best of %d runs each, alternating%s\n\n",
        clips.size(), fs::path(clips.front()).parent_path().c_str(), films.size(), film_seconds,
        fs::path(films.front()).parent_path().c_str(), runs, quick ? " (quick: no target enforced)" : "");
    for (int run = 0; run < runs; ++run) {
      clipsLoop = std::min(clipsLoop, PeerSeconds(clips, "00:00:03", scratch / "ffmpeg", 1, peerFailed));
      clipsBatch = std::min(clipsBatch, BatchSeconds(clips, 3, scratch / "batch", dialogs, batchFailed));
      filmsLoop = std::min(filmsLoop, PeerSeconds(films, film_length, scratch / "ffmpeg", 1, peerFailed));
      filmsPairs = std::min(filmsPairs, PeerSeconds(films, film_length, scratch / "ffmpeg", 2, peerFailed));
      filmsBatch = std::min(filmsBatch, BatchSeconds(films, film_seconds, scratch / "batch", dialogs, batchFailed));
    }
  }
  fs::remove_all(scratch);

  const std::string clipsTitle = std::to_string(clips.size()) + " x 2 s clips, ffmpeg loop";
  const std::string filmsTitle = std::to_string(films.size()) + " x " + std::to_string(film_seconds) + " s files";
  const std::string loopTitle = filmsTitle + ", ffmpeg loop";
  const std::string pairsTitle = filmsTitle + ", ffmpeg 2 at a time";
  const std::vector<Row> rows = {
      {clipsTitle.c_str(), clipsBatch, clipsLoop, 1.3},
      {loopTitle.c_str(), filmsBatch, filmsLoop, 0.60},
      {pairsTitle.c_str(), filmsBatch, filmsPairs, 1.15},
  };
  std::printf("%-40s %9s %9s %7s %8s\n", "job", "batch s", "ffmpeg s", "ratio", "target");
  bool met = true;
  for (const Row& row : rows) {
    const double ratio = row.batch / row.peer;
    const bool row_met = !row.target || ratio <= *row.target;
    met = met && row_met;
    const char* verdict = batchFailed  ? "BATCH FAILED"
                          : peerFailed ? "FFMPEG FAILED"
                          : quick      ? ""
                          : row_met    ? "met"
                                       : "MISSED";
    const std::string target = row.target ? "<= " + std::to_string(*row.target).substr(0, 4) : "-";
    std::printf("%-40s %9.3f %9.3f %7.3f %8s  %s\n", row.title, row.batch, row.peer, ratio, target.c_str(), verdict);
  }
  if (batchFailed || peerFailed) return 1;
  return quick || met ? 0 : 1;
}
