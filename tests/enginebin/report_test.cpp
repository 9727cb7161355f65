// What the engine prints: the input report that the program's runner waits for, and the
// progress reports it reads during a conversion.

#include "child_process.h"
#include "media_inspection.h"
#include "test_media.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>

namespace enginebin_test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The probe command line exactly as the program sends it.
std::vector<std::string> probe_command(const std::string& source, const std::string& folder) {
  return {"-i",     source, "-vcodec", "mpeg4", "-r", "10",  "-s", "176x144",          "-acodec",
          "amr_nb", "-ar",  "8000",    "-b",    "1",  "-ac", "1",  folder + "/wyl.3gp"};
}

// The "%02d:%02d:%02d.%01d" text with the tenths truncated.
std::string truncated_duration(int64_t micros) {
  char text[32];
  const int64_t seconds = micros / 1000000;
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%01d", static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60),
                static_cast<int>(micros % 1000000 / 100000));
  return text;
}

const std::regex kDurationLine(R"((^|\n)  Duration: (\d\d:\d\d:\d\d\.\d|N/A), start: [^,\n]+, bitrate: [^\n]+\n)");

class ProbeTest : public testing::TestWithParam<std::string> {};

TEST_P(ProbeTest, ReportsTheDurationThenRefusesTheOutputAndLeavesNoFile) {
  const std::string source = test_clip(GetParam());
  const std::string folder = fresh_folder("probe");
  const ProcessResult result = run_engine(probe_command(source, folder));

  std::smatch match;
  ASSERT_TRUE(std::regex_search(result.output, match, kDurationLine)) << result.output;
  const auto duration = reported_duration(source);
  ASSERT_TRUE(duration.has_value());
  EXPECT_EQ(match[2].str(), truncated_duration(*duration));
  EXPECT_EQ(match[2].str().substr(0, 8), "00:00:03") << "the clips last three seconds";
  // The refusal names what was refused, after the report.
  const auto refusal = result.output.find("amr_nb");
  ASSERT_NE(refusal, std::string::npos) << result.output;
  EXPECT_GT(refusal, result.output.find("Duration: "));
  EXPECT_NE(result.exit_code, 0);
  EXPECT_EQ(result.signal, 0);
  EXPECT_FALSE(has_sanitizer_report(result.output)) << result.output;
  EXPECT_FALSE(fs::exists(folder + "/wyl.3gp"));
}

INSTANTIATE_TEST_SUITE_P(Containers, ProbeTest,
                         testing::Values("clip.avi", "clip.mp4", "clip.mkv", "clip.mov", "clip.flv", "clip.mpg",
                                         "clip.wmv", "clip.3gp"),
                         [](const auto& info) { return info.param.substr(info.param.find('.') + 1); });

TEST(InputReport, UnknownLengthIsReportedAsNotAvailable) {
  const std::string folder = fresh_folder("unknown-length");
  const ProcessResult result = run_engine(probe_command(test_clip("unknown.h264"), folder));
  EXPECT_NE(result.output.find("\n  Duration: N/A, start: "), std::string::npos) << result.output;
  EXPECT_NE(result.exit_code, 0);
}

TEST(InputReport, UnreadableInputsAreUnknownFormat) {
  for (const char* name : {"junk.avi", "empty.avi"}) {
    const std::string source = test_clip(name);
    const std::string folder = fresh_folder("unreadable");
    const ProcessResult result = run_engine(probe_command(source, folder));
    EXPECT_EQ(result.output.rfind(source + ": Unknown format\n", 0), 0u) << result.output;
    EXPECT_EQ(result.output.find("Duration: "), std::string::npos);
    EXPECT_NE(result.exit_code, 0);
    EXPECT_EQ(result.signal, 0);
    EXPECT_FALSE(has_sanitizer_report(result.output)) << result.output;
    EXPECT_FALSE(fs::exists(folder + "/wyl.3gp"));
  }
}

TEST(InputReport, ArrivesWhileTheConversionStillRuns) {
  // The runner reads the report from the pipe while the engine is busy; it must not sit in a
  // buffer until the engine ends.
  const std::string folder = fresh_folder("early-report");
  ChildProcess engine(engine_command(
      {"-y", "-i", test_clip("long.wav"), "-acodec", "mp3", "-ab", "320", "-f", "mp3", folder + "/out.mp3"}));
  ASSERT_TRUE(engine.wait_for_output("Duration: ", 20s)) << engine.output();
  EXPECT_TRUE(engine.running());
}

TEST(ProgressReport, HasTheClassicLayoutAndEndsWithTheWrittenLength) {
  const std::string folder = fresh_folder("progress");
  const ProcessResult result = run_engine({"-y",        "-i",         test_clip("clip.mp4"),
                                           "-bitexact", "-acodec",    "mp3",
                                           "-ac",       "2",          "-ar",
                                           "44100",     "-vol",       "256",
                                           "-ab",       "128",        "-f",
                                           "mp3",       "-ss",        "00:00:00",
                                           "-t",        "00:00:02.5", folder + "/wyl.mp3"});
  ASSERT_EQ(result.exit_code, 0) << result.output;
  const std::regex report(R"(size=[ \d]{7}\dkB time=(\d+\.\d) bitrate=[ \d]{3}\d\.\dkbits/s    \r)");
  std::vector<std::string> times;
  for (std::sregex_iterator it(result.output.begin(), result.output.end(), report), end; it != end; ++it)
    times.push_back((*it)[1].str());
  ASSERT_FALSE(times.empty()) << result.output;
  EXPECT_EQ(times.back(), "2.5");
  // The runner looks at the last 51 characters: the final report must be among them.
  const std::string tail = result.output.substr(result.output.size() - 51);
  EXPECT_NE(tail.find("time=2.5 "), std::string::npos) << tail;
}

TEST(ProgressReport, IsThrottledToAboutTwiceASecond) {
  const std::string folder = fresh_folder("throttle");
  const auto started = std::chrono::steady_clock::now();
  const ProcessResult result =
      run_engine({"-y", "-i", test_clip("long.wav"), "-acodec", "mp3", "-f", "mp3", folder + "/out.mp3"});
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  ASSERT_EQ(result.exit_code, 0) << result.output;
  std::size_t reports = 0;
  for (std::size_t at = 0; (at = result.output.find("size=", at)) != std::string::npos; ++at) ++reports;
  EXPECT_GE(reports, 1u);
  EXPECT_LE(static_cast<double>(reports), seconds * 2 + 2) << "over " << seconds << " s";
}

}  // namespace
}  // namespace enginebin_test
