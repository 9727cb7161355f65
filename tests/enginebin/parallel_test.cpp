// The engine on several workers against the same engine on one: WAV the same to the byte, AC-3
// the same decoded samples, MP3 without an audible seam, the same gapless length everywhere and a
// cut's first sample where one worker puts it; progress that never goes back; a stop or a failure
// that ends every worker and leaves no file; inputs the plan does not fit, done as by one.

#include "child_process.h"
#include "classic_command.h"
#include "media_inspection.h"
#include "test_media.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

namespace enginebin_test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Job {
  std::string ext;
  int channels = 2;
  int rate = 44100;
  int kbps = 128;
  std::string begin = "00:00:00";
  std::string length = "00:02:00";
  std::string source = "program.mp4";
};

std::vector<std::string> command_for(const Job& job, int workers, const std::string& output) {
  return with_workers(conversion_command(test_clip(job.source), job.ext, job.channels, job.rate, job.kbps, job.begin,
                                         job.length, output),
                      workers);
}

// Converts into a new folder and returns the output's path; report receives what the engine said.
std::string convert(const Job& job, int workers, std::string* report = nullptr) {
  const std::string output = fresh_folder("parallel-" + job.ext) + "/out." + job.ext;
  const ProcessResult result = run_engine(command_for(job, workers, output));
  EXPECT_EQ(result.exit_code, 0) << result.output;
  EXPECT_FALSE(has_sanitizer_report(result.output)) << result.output;
  if (report != nullptr) *report = result.output;
  return output;
}

std::string bytes_of(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// The sources: AAC, whose decoder cannot resume exactly after a seek (every worker decodes from
// the range's start, or for WAV one pipeline decodes ahead); AAC in Matroska, whose timestamps do
// not count samples (the same); MP3 in MP4, which resumes exactly (workers seek to their segments).
const char* const kSources[] = {"program.mp4", "program.mkv", "program-mp3.mp4"};

Job from(const char* source, Job job) {
  job.source = source;
  return job;
}

TEST(ParallelEngine, WavIsTheSameToTheByteAsWithOneWorker) {
  // WAV is cut only in long ranges, and only where workers seek: the long program, AAC (one
  // pipeline that decodes ahead) and MP3 (workers seek).
  const Job whole{"wav", 2, 44100, 128, "00:00:00", "00:07:00"};
  const Job mono{"wav", 1, 22050, 128, "00:00:00", "00:07:00"};
  const Job mid_file_range{"wav", 2, 44100, 128, "00:00:07.3", "00:06:10"};
  for (const Job& job :
       {from("program-long.mp4", whole), from("program-long.mp4", mono), from("program-long.mp4", mid_file_range),
        from("program-long-mp3.mp4", whole), from("program-long-mp3.mp4", mid_file_range)}) {
    SCOPED_TRACE(job.source + " from " + job.begin + " at " + std::to_string(job.rate));
    const std::string alone = bytes_of(convert(job, 1));
    ASSERT_GT(alone.size(), 10'000'000u);
    for (const int workers : {2, 5}) EXPECT_TRUE(bytes_of(convert(job, workers)) == alone) << workers << " workers";
  }
}

// Signal-to-noise ratio in dB of each 50 ms window of the coded signal against the original, NaN
// where the original is silent. The coded signal starts `delay` samples late.
std::vector<double> window_snr(const std::vector<float>& original, const std::vector<float>& coded, std::size_t delay,
                               int rate, int channels) {
  const std::size_t window = static_cast<std::size_t>(rate / 20 * channels);
  std::vector<double> snr;
  for (std::size_t start = 0; start + window <= original.size() && delay + start + window <= coded.size();
       start += window) {
    double signal = 0, noise = 0;
    for (std::size_t i = start; i < start + window; ++i) {
      const double error = double(coded[delay + i]) - original[i];
      signal += double(original[i]) * original[i];
      noise += error * error;
    }
    snr.push_back(signal < 1e-8 * window ? NAN : 10 * std::log10(signal / std::max(noise, 1e-20)));
  }
  return snr;
}

struct Loss {
  double worst = 0;   // dB: the largest loss of one window
  double median = 0;  // dB
};

// How much worse than with one worker each window's signal-to-noise ratio is, against the original
// material (program.wav) converted to the job's rate and channels.
Loss loss_against_one_worker(const Job& job, const std::vector<float>& alone, const std::vector<float>& together) {
  EXPECT_EQ(together.size(), alone.size()) << "the same length, one encoder delay at the start";
  const std::vector<float> original =
      decode_samples(convert(from("program.wav", Job{"wav", job.channels, job.rate}), 1));
  // MP3 files tell their encoder delay, which the decoder removes; AC-3 files cannot.
  const std::size_t delay = job.ext == "ac3" ? 256u * static_cast<std::size_t>(job.channels) : 0u;
  const std::vector<double> alone_snr = window_snr(original, alone, delay, job.rate, job.channels);
  const std::vector<double> together_snr = window_snr(original, together, delay, job.rate, job.channels);
  std::vector<double> loss;
  for (std::size_t w = 0; w < alone_snr.size() && w < together_snr.size(); ++w)
    if (!std::isnan(alone_snr[w])) loss.push_back(alone_snr[w] - together_snr[w]);
  EXPECT_GT(loss.size(), 1000u);
  if (loss.empty()) return Loss{1e9, 1e9};
  Loss result{*std::max_element(loss.begin(), loss.end()), 0};
  std::nth_element(loss.begin(), loss.begin() + loss.size() / 2, loss.end());
  result.median = loss[loss.size() / 2];
  return result;
}

TEST(ParallelEngine, Ac3DecodesToTheSameSamplesAsWithOneWorker) {
  for (const char* source : kSources) {
    SCOPED_TRACE(source);
    const std::vector<float> alone = decode_samples(convert(from(source, Job{"ac3"}), 1));
    ASSERT_FALSE(alone.empty());
    for (const int workers : {2, 5})
      EXPECT_TRUE(decode_samples(convert(from(source, Job{"ac3"}), workers)) == alone) << workers << " workers";
  }
}

TEST(ParallelEngine, Mp3HasNoAudibleSeam) {
  std::vector<Job> jobs;
  for (const char* source : kSources) jobs.push_back(from(source, Job{"mp3"}));
  jobs.push_back(from("program.mp4", Job{"mp3", 1, 22050, 64}));
  jobs.push_back(from("program.ts", Job{"mp3"}));
  for (const Job& job : jobs) {
    SCOPED_TRACE(job.source + " at " + std::to_string(job.rate) + " Hz");
    const std::vector<float> alone = decode_samples(convert(job, 1));
    for (const int workers : {2, 5}) {
      SCOPED_TRACE(std::to_string(workers) + " workers");
      const Loss loss = loss_against_one_worker(job, alone, decode_samples(convert(job, workers)));
      EXPECT_LE(loss.worst, 3.0);
      EXPECT_LE(loss.median, 0.5);
    }
  }
}

TEST(ParallelEngine, DecodingAheadOfOnePipelineGivesTheBytesOfOneThread) {
  // Ranges too short to cut: with a second core, reading and decoding run ahead on threads of
  // their own. A range that ends mid-file stops them while they are ahead; one that runs past the
  // input's end takes the last frames the decoder gives.
  const Job short_mp3{"mp3", 2, 44100, 128, "00:00:00", "00:00:12"};
  const Job mid_file_ac3{"ac3", 2, 48000, 192, "00:00:03.5", "00:00:20"};
  const Job mono_wav_to_the_end{"wav", 1, 22050, 128, "00:00:50", "00:01:00"};
  for (const char* source : kSources)
    for (const Job& job : {from(source, short_mp3), from(source, mid_file_ac3), from(source, mono_wav_to_the_end)}) {
      SCOPED_TRACE(job.source + " to " + job.ext);
      const std::string alone = bytes_of(convert(job, 1));
      ASSERT_GT(alone.size(), 100'000u);
      EXPECT_TRUE(bytes_of(convert(job, 2)) == alone);
    }
}

TEST(ParallelEngine, ProgressNeverGoesBackAndEndsAtTheRangeLength) {
  std::string report;
  convert(Job{"mp3", 2, 44100, 320}, 4, &report);
  const std::regex time(R"(time=(\d+\.\d) )");
  std::vector<double> times;
  for (std::sregex_iterator it(report.begin(), report.end(), time), end; it != end; ++it)
    times.push_back(std::stod((*it)[1].str()));
  ASSERT_GE(times.size(), 2u) << report;
  EXPECT_TRUE(std::is_sorted(times.begin(), times.end())) << report;
  EXPECT_EQ(times.back(), 100.0);
  EXPECT_NE(report.substr(report.size() - 51).find("time=100.0 "), std::string::npos);
}

TEST(ParallelEngine, ATerminationEndsEveryWorkerAndLeavesNoFile) {
  const std::string folder = fresh_folder("parallel-stop");
  const std::string output = folder + "/out.mp3";
  // Seven minutes at 320 kbit/s: long enough to be stopped while it runs.
  const Job long_job = from("program-long.mp4", Job{"mp3", 2, 44100, 320, "00:00:00", "00:07:00"});
  ChildProcess engine(engine_command(command_for(long_job, 4, output)));
  ASSERT_TRUE(engine.wait_for_output("size=", 30s)) << engine.output();
  engine.send_signal(SIGTERM);
  const auto asked = std::chrono::steady_clock::now();
  const ProcessResult result = engine.wait();
  EXPECT_LT(std::chrono::steady_clock::now() - asked, 2s);
  EXPECT_NE(result.exit_code, 0);
  EXPECT_NE(result.output.find("was interrupted"), std::string::npos) << result.output;
  EXPECT_TRUE(fs::is_empty(folder)) << "a stopped run left a file";
}

TEST(ParallelEngine, AFailureEndsTheRunWithTheMessageOfOneWorker) {
  // /dev/full refuses every write, once the output's buffer first goes out mid-run.
  const ProcessResult alone = run_engine(command_for(Job{"ac3"}, 1, "/dev/full"));
  const ProcessResult together = run_engine(command_for(Job{"ac3"}, 4, "/dev/full"));
  EXPECT_NE(alone.exit_code, 0);
  EXPECT_NE(together.exit_code, 0);
  EXPECT_FALSE(has_sanitizer_report(together.output)) << together.output;
  EXPECT_EQ(last_line(together.output), last_line(alone.output));
  EXPECT_NE(last_line(together.output).find("No space left on device"), std::string::npos) << together.output;
}

TEST(ParallelEngine, WithoutRoomForWaitingSegmentsOneWorkerDoesTheJob) {
  const Job job = from("program-long.mp4", Job{"wav", 2, 44100, 128, "00:00:00", "00:07:00"});
  const std::string alone = bytes_of(convert(job, 1));
  const char* saved = std::getenv("TMPDIR");
  const std::string previous = saved != nullptr ? saved : "";
  setenv("TMPDIR", (fresh_folder("no-tmp") + "/missing").c_str(), 1);
  const std::string together = bytes_of(convert(job, 2));
  if (saved != nullptr) {
    setenv("TMPDIR", previous.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  EXPECT_TRUE(together == alone);
}

TEST(ParallelEngine, InputsThePlanDoesNotFitComeOutAsWithOneWorker) {
  // The sample rate changes half-way; the input ends at 60 % of what it declares.
  const Job rate_change = from("rate-change.ts", Job{"ac3"});
  const Job cut = from("program-long-cut.mp4", Job{"wav", 2, 44100, 128, "00:00:00", "00:07:00"});
  for (const Job& job : {rate_change, cut}) {
    SCOPED_TRACE(job.source);
    std::string alone_report, together_report;
    const std::string alone = bytes_of(convert(job, 1, &alone_report));
    ASSERT_GT(alone.size(), 1'000'000u);
    EXPECT_TRUE(bytes_of(convert(job, 5, &together_report)) == alone);
    const auto said_early = [](const std::string& report) {
      return report.find("Input ended early") != std::string::npos;
    };
    EXPECT_EQ(said_early(together_report), said_early(alone_report));
  }
}

}  // namespace
}  // namespace enginebin_test
