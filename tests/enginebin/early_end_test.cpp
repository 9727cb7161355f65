// Inputs whose audio ends before the rest of them: a valid file with shorter audio gives the audio
// it has without a word; a file cut short gives what it holds and says where its audio ended,
// just before the closing progress report; a file without any readable audio still fails.

#include "child_process.h"
#include "classic_command.h"
#include "media_inspection.h"
#include "test_media.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace enginebin_test {
namespace {

namespace fs = std::filesystem;

const std::regex kEarlyEndLine(
    R"((^|\n)Input ended early: audio until (\d\d):(\d\d):(\d\d\.\d\d), declared ([^\n]*)\n)");
const std::regex kFinalReport(R"(^size=[ \d]{7}\dkB time=\d+\.\d bitrate=[ \d]{3}\d\.\dkbits/s    \r\n$)");

TEST(EarlyEnd, AudioShorterThanTheVideoIsConvertedAsItIs) {
  for (const char* name : {"short-audio.mkv", "short-audio.webm", "short-audio.flv"}) {
    SCOPED_TRACE(name);
    const std::string output = fresh_folder("short-audio") + "/out.wav";
    const ProcessResult result =
        run_engine(conversion_command(test_clip(name), "wav", 1, 44100, 128, "00:00:00", "00:00:11", output));
    ASSERT_EQ(result.exit_code, 0) << result.output;
    const auto facts = inspect_audio(output);
    ASSERT_TRUE(facts.has_value());
    EXPECT_NEAR(facts->seconds(), 5.0, 0.06);
    EXPECT_EQ(result.output.find("Input ended early"), std::string::npos) << "the file is whole:\n" << result.output;
  }
}

TEST(EarlyEnd, AFileCutShortGivesWhatItHoldsAndSaysWhereItsAudioEnded) {
  const std::string source = test_clip("cut.mp4");
  const std::string output = fresh_folder("cut") + "/out.wav";
  const ProcessResult result =
      run_engine(conversion_command(source, "wav", 2, 48000, 128, "00:00:00", "00:00:10", output));
  ASSERT_EQ(result.exit_code, 0) << result.output;
  const auto facts = inspect_audio(output);
  ASSERT_TRUE(facts.has_value());
  EXPECT_GT(facts->seconds(), 2.0);
  EXPECT_LT(facts->seconds(), 8.0);

  std::smatch line;
  ASSERT_TRUE(std::regex_search(result.output, line, kEarlyEndLine)) << result.output;
  EXPECT_EQ(line[5].str(), "00:00:10.00");
  const double until = std::stoi(line[2].str()) * 3600 + std::stoi(line[3].str()) * 60 + std::stod(line[4].str());
  EXPECT_NEAR(until, facts->seconds(), 0.03);
  const std::string after = line.suffix();
  EXPECT_EQ(after.find("Input ended early"), std::string::npos) << "said twice";
  EXPECT_TRUE(std::regex_match(after, kFinalReport)) << "not followed by the closing report alone:\n" << after;
  // The runner reads the last 51 characters: they must hold the closing report.
  EXPECT_NE(result.output.substr(result.output.size() - 51).find("time="), std::string::npos);
}

TEST(EarlyEnd, AFileCutBeforeAnyAudioStillFails) {
  const std::string source = test_clip("cut-before-audio.mp4");
  const std::string output = fresh_folder("cut-early") + "/out.wav";
  const ProcessResult result =
      run_engine(conversion_command(source, "wav", 2, 48000, 128, "00:00:00", "00:00:10", output));
  EXPECT_NE(result.exit_code, 0) << result.output;
  EXPECT_FALSE(has_sanitizer_report(result.output)) << result.output;
  EXPECT_NE(result.output.find("No audio could be decoded from '" + source + "'"), std::string::npos) << result.output;
  EXPECT_EQ(result.output.find("Input ended early"), std::string::npos);
  EXPECT_FALSE(fs::exists(output));
}

}  // namespace
}  // namespace enginebin_test
