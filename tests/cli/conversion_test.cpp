// What the command writes: every format, copies, ranges to the millisecond, tracks, tags and
// loudness, checked with the libraries and the ffmpeg program.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "tests/cli/cli_media.h"
#include "tests/cli/cli_program.h"
#include "tests/enginebin/media_inspection.h"
#include "tests/enginebin/test_media.h"

namespace cli_test {
namespace {

using enginebin_test::inspect_audio;
using enginebin_test::test_clip;

struct FormatCase {
  std::string format, codec, container;
  int sample_rate;   // of a 44100 Hz stereo source
  double tolerance;  // seconds: encoders that pad their last frame
};

void PrintTo(const FormatCase& format, std::ostream* out) { *out << format.format; }

class Formats : public CliTest, public testing::WithParamInterface<FormatCase> {};

TEST_P(Formats, EachWritesItsCodecInItsContainerAtTheSourcesRateAndChannels) {
  const FormatCase& format = GetParam();
  const auto result = Run({test_clip("clip.avi"), "-o", Out(), "-f", format.format});
  ASSERT_EQ(result.exit_code, 0) << result.output;
  ASSERT_EQ(OutputFiles(), std::vector<std::string>{"clip." + format.format});
  const auto facts = inspect_audio(Out() + "clip." + format.format);
  ASSERT_TRUE(facts.has_value());
  EXPECT_EQ(facts->codec, format.codec);
  EXPECT_NE(facts->format.find(format.container), std::string::npos) << facts->format;
  EXPECT_EQ(facts->sample_rate, format.sample_rate);
  EXPECT_EQ(facts->channels, 2);
  EXPECT_NEAR(facts->seconds(), inspect_audio(test_clip("clip.avi"))->seconds(), format.tolerance);
  EXPECT_TRUE(TemporaryFiles().empty());
}

INSTANTIATE_TEST_SUITE_P(All, Formats,
                         testing::Values(FormatCase{"mp3", "mp3", "mp3", 44100, 0.03},
                                         FormatCase{"ac3", "ac3", "ac3", 44100, 0.05},
                                         FormatCase{"wav", "pcm_s16le", "wav", 44100, 0.001},
                                         FormatCase{"flac", "flac", "flac", 44100, 0.001},
                                         FormatCase{"opus", "opus", "ogg", 48000, 0.03},
                                         FormatCase{"m4a", "aac", "mp4", 44100, 0.03}),
                         [](const auto& info) { return info.param.format; });

TEST_F(CliTest, ACopyKeepsEveryPacketBitForBitInTheContainerThatFitsItsCodec) {
  struct Case {
    std::string clip, output;
  };
  for (const Case& c : {Case{"clip.mp4", "clip.m4a"}, Case{"clip.mkv", "clip.ac3"}, Case{"clip.avi", "clip.mp3"},
                        Case{"pcm.avi", "pcm.wav"}}) {
    SCOPED_TRACE(c.clip);
    const auto result = Run({test_clip(c.clip), "-o", Out(), "-f", "copy"});
    ASSERT_EQ(result.exit_code, 0) << result.output;
    const std::string copied = audio_packet_bytes(Out() + c.output);
    EXPECT_FALSE(copied.empty());
    EXPECT_TRUE(copied == audio_packet_bytes(test_clip(c.clip))) << copied.size();
  }
}

TEST_F(CliTest, ACopiedRangeLiesOnPacketBoundariesInsideItAndTheReportSaysWhere) {
  const auto result =
      Run({test_clip("clip.mp4"), "-o", Out(), "-f", "copy", "--range", "1-2", "--json", Out() + "report.json"});
  ASSERT_EQ(result.exit_code, 0) << result.output;
  const std::string json = test_support::ReadFile(Out() + "report.json");
  std::smatch written;
  ASSERT_TRUE(
      std::regex_search(json, written, std::regex(R"("range_written": \{"begin": ([0-9.]+), "end": ([0-9.]+)\})")))
      << json;
  const double begin = std::stod(written[1]), end = std::stod(written[2]);
  const double packet = 1024.0 / 48000;  // AAC
  EXPECT_GE(begin, 1.0);
  EXPECT_LT(begin, 1.0 + packet + 0.001);
  EXPECT_LE(end, 2.0);
  EXPECT_GT(end, 2.0 - packet - 0.001);
  const auto facts = inspect_audio(Out() + "clip.m4a");
  ASSERT_TRUE(facts.has_value());
  EXPECT_NEAR(facts->seconds(), end - begin, packet + 0.001);
}

TEST_F(CliTest, RangesAreCutToTheSampleAndEachBecomesItsOwnOutputInOrder) {
  const std::string source = test_clip("pcm.avi");  // noise, 16-bit stereo 44100 Hz
  const auto result =
      Run({source, "-o", Out(), "-f", "wav", "--range", "1.234-3.579", "--range", "0:04-0:05.5", "--range", "5.9-"});
  ASSERT_EQ(result.exit_code, 0) << result.output;
  ASSERT_EQ(OutputFiles(), (std::vector<std::string>{"pcm-1.wav", "pcm-2.wav", "pcm-3.wav"}));
  const std::vector<int16_t> all = enginebin_test::decode_s16(source);
  struct Expected {
    std::string name;
    double begin, seconds;
  };
  for (const Expected& e : {Expected{"pcm-1.wav", 1.234, 2.345}, Expected{"pcm-2.wav", 4.0, 1.5},
                            Expected{"pcm-3.wav", 5.9, all.size() / 2 / 44100.0 - 5.9}}) {
    SCOPED_TRACE(e.name);
    const std::vector<int16_t> cut = enginebin_test::decode_s16(Out() + e.name);
    const double frames = static_cast<double>(cut.size() / 2);
    EXPECT_NEAR(frames / 44100, e.seconds, 1.0 / 44100 + 1e-9);  // to the sample, within the millisecond
    const auto first = static_cast<std::size_t>(std::lround(e.begin * 44100)) * 2;
    ASSERT_GE(all.size(), first + 8);
    EXPECT_TRUE(std::equal(cut.begin(), cut.begin() + 8, all.begin() + static_cast<std::ptrdiff_t>(first)));
  }
}

TEST_F(CliTest, TheSecondTrackIsConvertedWhenAskedAndAFileWithoutItIsReportedWhileTheOthersGoOn) {
  const auto result = Run({two_track_clip(), test_clip("clip.avi"), "-o", Out(), "-f", "wav", "--track", "2"});
  EXPECT_EQ(result.exit_code, 1) << result.output;
  EXPECT_NE(result.output.find("clip.avi: It has no audio track 2 (it has 1 track)."), std::string::npos)
      << result.output;
  ASSERT_EQ(OutputFiles(), std::vector<std::string>{"two tracks.wav"});
  EXPECT_NEAR(tone_frequency(Out() + "two tracks.wav"), 1000, 5);
  const auto first = Run({two_track_clip(), "-o", Out(), "-f", "wav"});
  ASSERT_EQ(first.exit_code, 0) << first.output;
  EXPECT_NEAR(tone_frequency(Out() + "[1]two tracks.wav"), 440, 5);

  const auto listed = Run({"--list-tracks", two_track_clip()});
  EXPECT_EQ(listed.exit_code, 0);
  EXPECT_NE(listed.output.find("  1   aac        48000 Hz  eng  mono        Main\n"), std::string::npos)
      << listed.output;
  EXPECT_NE(listed.output.find("  2   aac        44100 Hz  fre  mono        Commentary\n"), std::string::npos);
}

TEST_F(CliTest, TagsAreCarriedUnlessLeftOutAndTheWindowsEngineCommandCarriesThemToo) {
  ASSERT_EQ(Run({tagged_clip(), "-o", Out(), "-f", "mp3"}).exit_code, 0);
  auto tags = tags_of(Out() + "tagged.mp3");
  EXPECT_EQ(tags["title"], "A Title");
  EXPECT_EQ(tags["artist"], "An Artist");
  EXPECT_EQ(tags["album"], "An Album");
  EXPECT_EQ(tags["date"], "2019");
  ASSERT_EQ(Run({tagged_clip(), two_track_clip(), "-o", Out(), "-f", "m4a"}).exit_code, 0);
  EXPECT_EQ(tags_of(Out() + "tagged.m4a")["comment"], "A comment");
  EXPECT_EQ(tags_of(Out() + "two tracks.m4a")["language"], "eng");

  ASSERT_EQ(Run({tagged_clip(), "-o", Out() + "bare/", "--no-tags"}).exit_code, 0);
  tags = tags_of(Out() + "bare/tagged.mp3");
  EXPECT_EQ(tags.count("title"), 0u);
  EXPECT_EQ(tags.count("artist"), 0u);

  // The window's batch asks the engine in its classic words, and gets the tags as well.
  const std::string classic = Out() + "classic.mp3";
  const auto engine = enginebin_test::run_engine(
      {"-y",  "-i",  tagged_clip(), "-bitexact", "-acodec", "mp3", "-ac",      "2",  "-ar",      "44100", "-vol",
       "256", "-ab", "128",         "-f",        "mp3",     "-ss", "00:00:00", "-t", "00:00:02", classic});
  ASSERT_EQ(engine.exit_code, 0) << engine.output;
  tags = tags_of(classic);
  EXPECT_EQ(tags["title"], "A Title");
  EXPECT_EQ(tags["artist"], "An Artist");
}

TEST_F(CliTest, LoudnessIsBroughtToTheTargetWithTheTruePeakKeptBelowMinusOne) {
  const auto result = Run({quiet_noise(), "-o", Out(), "-f", "mp3", "--loudness", "-20", "--json", Out() + "r.json"});
  ASSERT_EQ(result.exit_code, 0) << result.output;
  const Loudness reached = measured_loudness(Out() + "quiet noise.mp3");
  EXPECT_NEAR(reached.integrated, -20, 0.5);
  const std::string json = test_support::ReadFile(Out() + "r.json");
  std::smatch found;
  ASSERT_TRUE(std::regex_search(
      json, found,
      std::regex(
          R"("loudness": \{"measured": (-[0-9.]+), "true_peak": (-[0-9.]+), "gain": ([0-9.]+), "result": -20.000\})")))
      << json;
  // Measured on the source; the gain also makes up for what the MP3 encoder takes away.
  EXPECT_NEAR(std::stod(found[1]) + std::stod(found[3]), -20, 1.0);
  EXPECT_LT(std::stod(found[1]), -35);

  // So loud a target would push the peaks past -1 dBTP: the gain stops short of it.
  const auto loud = Run({quiet_noise(), "-o", Out() + "loud/", "-f", "flac", "--loudness", "-5"});
  ASSERT_EQ(loud.exit_code, 0) << loud.output;
  const Loudness limited = measured_loudness(Out() + "loud/quiet noise.flac");
  EXPECT_LE(limited.true_peak, -0.95);
  EXPECT_GT(limited.true_peak, -1.5);
  EXPECT_LT(limited.integrated, -5.5);
}

}  // namespace
}  // namespace cli_test
