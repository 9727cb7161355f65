// Compares the conversion engine, with a worker on every core and with one worker, with the ffmpeg
// program doing the same jobs on the same input, in one run; prints the time ratios, the engine's
// peak memory, and where ffmpeg's time goes on the input (the shares that bound the scaling).
//
//   engine_benchmark [--runs N] [--cache FOLDER] [--quick]
//
// --quick: one run on a 45-second input, no target enforced; it fails only when a program does.

#include "benchmark_input.h"
#include "timed_process.h"

#include <sched.h>
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

// What ffmpeg is asked to do for the comparison.
enum class Peer {
  same_job,           // the engine's job, as a user would run it
  input_seek,         // the same range with -ss before -i (it seeks in the input)
  encode_range_only,  // encoding the range from a WAV file of it: the work no engine can avoid
};

struct Job {
  std::string title;
  std::string format;      // mp3, ac3, wav: the engine's codec and format name
  std::string peer_codec;  // the same encoder by ffmpeg's name
  Range range;
  Peer peer;
  std::optional<double> target;  // highest acceptable engine (every core) / ffmpeg time ratio
};

// The command line the program sends the engine, with the program's default audio settings.
std::vector<std::string> engine_command(const Job& job, const std::string& input, const std::string& output,
                                        bool one_worker) {
  std::vector<std::string> command = {SONVARRA_ENGINE_FILE, "-y", "-i", input};
  const std::vector<std::string> audio = default_audio_options(job.format, "128", job.format);
  command.insert(command.end(), audio.begin(), audio.end());
  command.insert(command.end(), {"-ss", job.range.begin, "-t", job.range.length});
  if (one_worker) command.insert(command.end(), {"-threads", "1"});
  command.push_back(output);
  return command;
}

// The same job for today's ffmpeg, whose -ab takes bits per second.
std::vector<std::string> peer_command(const Job& job, const std::string& input, const std::string& range_wav,
                                      const std::string& output) {
  std::vector<std::string> command = {"ffmpeg", "-nostdin", "-y"};
  if (job.peer == Peer::encode_range_only) {
    command.insert(command.end(),
                   {"-i", range_wav, "-bitexact", "-acodec", job.peer_codec, "-ab", "128k", "-f", job.format, output});
    return command;
  }
  if (job.peer == Peer::input_seek) command.insert(command.end(), {"-ss", job.range.begin});
  command.insert(command.end(), {"-i", input});
  const std::vector<std::string> audio = default_audio_options(job.peer_codec, "128k", job.format);
  command.insert(command.end(), audio.begin(), audio.end());
  if (job.peer != Peer::input_seek) command.insert(command.end(), {"-ss", job.range.begin});
  command.insert(command.end(), {"-t", job.range.length, output});
  return command;
}

struct Best {
  double seconds = 1e300;
  double cpu_seconds = 1e300;
  double peak_mebibytes = 0;
  bool failed = false;
  void add(const Measurement& run) {
    failed = failed || run.exit_code != 0;
    seconds = std::min(seconds, run.seconds);
    cpu_seconds = std::min(cpu_seconds, run.cpu_seconds);
    peak_mebibytes = std::max(peak_mebibytes, run.peak_mebibytes);
  }
};

int usable_cores() {
  cpu_set_t cores;
  CPU_ZERO(&cores);
  return sched_getaffinity(0, sizeof cores, &cores) == 0 ? std::max(CPU_COUNT(&cores), 1) : 1;
}

// ffmpeg's time for the steps of a whole-file MP3 job, each added to the previous ones.
void print_where_the_time_goes(const std::string& input, const fs::path& scratch, int runs) {
  const std::string wav = (scratch / "whole.wav").string();
  const auto best_of = [runs](const std::vector<std::string>& command) {
    Best best;
    for (int run = 0; run < runs; ++run) best.add(run_timed(command));
    return best;
  };
  struct Step {
    const char* title;
    std::vector<std::string> command;
  };
  const std::vector<Step> steps = {
      {"demultiplex the audio",
       {"ffmpeg", "-nostdin", "-y", "-i", input, "-map", "0:a", "-c", "copy", "-f", "null", "-"}},
      {"+ decode", {"ffmpeg", "-nostdin", "-y", "-i", input, "-map", "0:a", "-f", "null", "-"}},
      {"+ resample to 44100 Hz",
       {"ffmpeg", "-nostdin", "-y", "-i", input, "-map", "0:a", "-ar", "44100", "-f", "null", "-"}},
      {"+ write it as WAV", {"ffmpeg", "-nostdin", "-y", "-i", input, "-map", "0:a", "-ar", "44100", wav}},
      {"encode MP3 from that WAV",
       {"ffmpeg", "-nostdin", "-y", "-i", wav, "-acodec", "libmp3lame", "-ab", "128k", "-f", "null", "-"}},
      {"encode AC-3 from that WAV",
       {"ffmpeg", "-nostdin", "-y", "-i", wav, "-acodec", "ac3", "-ab", "128k", "-f", "null", "-"}},
      {"start and stop (1 s of it)",
       {"ffmpeg", "-nostdin", "-y", "-i", input, "-map", "0:a", "-t", "1", "-f", "null", "-"}},
  };
  std::printf("\nwhere the time goes (ffmpeg on one core, whole input, best of %d):\n", runs);
  for (const Step& step : steps) {
    const Best best = best_of(step.command);
    std::printf("  %-30s %7.3f s  (cpu %.3f s)%s\n", step.title, best.seconds, best.cpu_seconds,
                best.failed ? "  FAILED" : "");
  }
  fs::remove(wav);
}

}  // namespace
}  // namespace engine_bench

int main(int argc, char** argv) {
  using namespace engine_bench;
  const BenchmarkOptions options = parse_benchmark_options(argc, argv);
  const int runs = options.runs;
  const bool quick = options.quick;
  const std::string& folder = options.cache;

  const std::string input = benchmark_input(folder, quick);
  const fs::path scratch = fs::path(folder) / "outputs";
  fs::create_directories(scratch);
  const Range whole{"00:00:00", quick ? "00:00:46" : "00:10:01"};
  const Range half_minute = quick ? Range{"00:00:10", "00:00:30"} : Range{"00:08:00", "00:00:30"};
  const std::string range_title = quick ? "30 s at 0:10" : "30 s at 8:00";

  // The range as WAV, for the row that shows what encoding it alone costs.
  const std::string range_wav = (scratch / "range.wav").string();
  if (run_timed({"ffmpeg", "-nostdin", "-y", "-ss", half_minute.begin, "-i", input, "-t", half_minute.length, "-ac",
                 "2", "-ar", "44100", range_wav})
          .exit_code != 0) {
    std::printf("ffmpeg could not extract the range\n");
    return 1;
  }

  const std::vector<Job> jobs = {
      {"full MP3", "mp3", "libmp3lame", whole, Peer::same_job, 0.60},
      {"full AC3", "ac3", "ac3", whole, Peer::same_job, 0.60},
      {"full WAV", "wav", "pcm_s16le", whole, Peer::same_job, 0.60},
      {range_title + ", ffmpeg -ss before -i", "mp3", "libmp3lame", half_minute, Peer::input_seek, 0.86},
      {range_title + ", ffmpeg from WAV (limit)", "mp3", "libmp3lame", half_minute, Peer::encode_range_only,
       std::nullopt},
  };

  const int cores = usable_cores();
  std::printf("input: %s\nengine: %s\n%d usable cores; best of %d runs each, engine and ffmpeg alternating%s\n\n",
              input.c_str(), SONVARRA_ENGINE_FILE, cores, runs, quick ? " (quick: no target enforced)" : "");
  std::printf("%-38s %8s %8s %8s %7s %7s %8s %8s %8s\n", "job", "all s", "one s", "ffmpeg s", "all/ff", "one/ff",
              "cpu all", "cpu one", "target");
  double all_peak = 0, one_peak = 0, peer_peak = 0;
  bool all_met = true, any_failed = false;
  for (const Job& job : jobs) {
    const std::string engine_output = (scratch / ("engine." + job.format)).string();
    const std::string peer_output = (scratch / ("ffmpeg." + job.format)).string();
    Best all, one, peer;
    for (int run = 0; run < runs; ++run) {
      all.add(run_timed(engine_command(job, input, engine_output, false)));
      peer.add(run_timed(peer_command(job, input, range_wav, peer_output)));
      one.add(run_timed(engine_command(job, input, engine_output, true)));
    }
    all_peak = std::max(all_peak, all.peak_mebibytes);
    one_peak = std::max(one_peak, one.peak_mebibytes);
    peer_peak = std::max(peer_peak, peer.peak_mebibytes);
    const double ratio = all.seconds / peer.seconds;
    std::string verdict;
    if (all.failed || one.failed || peer.failed)
      verdict = peer.failed ? "FFMPEG FAILED" : "ENGINE FAILED";
    else if (job.target && !quick)
      verdict = ratio <= *job.target ? "met" : "MISSED";
    any_failed = any_failed || all.failed || one.failed || peer.failed;
    all_met = all_met && (!job.target || ratio <= *job.target);
    const std::string target = job.target ? "<= " + std::to_string(*job.target).substr(0, 4) : "-";
    std::printf("%-38s %8.3f %8.3f %8.3f %7.3f %7.3f %8.3f %8.3f %8s  %s\n", job.title.c_str(), all.seconds,
                one.seconds, peer.seconds, ratio, one.seconds / peer.seconds, all.cpu_seconds, one.cpu_seconds,
                target.c_str(), verdict.c_str());
  }
  constexpr double kMemoryPerWorker = 64.0;  // MiB
  const bool memory_met = all_peak <= kMemoryPerWorker * cores && one_peak <= kMemoryPerWorker;
  std::printf(
      "\npeak memory: engine %.1f MiB with a worker per core (target <= %.0f MiB), %.1f MiB with one worker "
      "(target <= %.0f MiB): %s; ffmpeg %.1f MiB\n",
      all_peak, kMemoryPerWorker * cores, one_peak, kMemoryPerWorker,
      quick ? "not enforced" : (memory_met ? "met" : "MISSED"), peer_peak);
  print_where_the_time_goes(input, scratch, runs);
  fs::remove_all(scratch);
  if (any_failed) return 1;
  return quick || (all_met && memory_met) ? 0 : 1;
}
