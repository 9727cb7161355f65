// Conversions that succeed: the output's codec, rate, channels and length, the cut's accuracy,
// the volume, and the handling of an existing output.

#include "child_process.h"
#include "classic_command.h"
#include "media_inspection.h"
#include "test_media.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace enginebin_test {
namespace {

namespace fs = std::filesystem;

class ContainerTest : public testing::TestWithParam<std::string> {};

TEST_P(ContainerTest, ConvertsTheWholeAudioWhenTheRangeGoesPastTheEnd) {
  const std::string folder = fresh_folder("container");
  const std::string output = folder + "/wyl.mp3";
  const ProcessResult result =
      run_engine(conversion_command(test_clip(GetParam()), "mp3", 2, 44100, 128, "00:00:00", "00:00:04", output));
  ASSERT_EQ(result.exit_code, 0) << result.output;
  const auto facts = inspect_audio(output);
  ASSERT_TRUE(facts.has_value());
  EXPECT_EQ(facts->format, "mp3");
  EXPECT_EQ(facts->codec, "mp3");
  EXPECT_EQ(facts->sample_rate, 44100);
  EXPECT_EQ(facts->channels, 2);
  EXPECT_NEAR(facts->seconds(), 3.0, 0.1);
}

INSTANTIATE_TEST_SUITE_P(Containers, ContainerTest,
                         testing::Values("clip.avi", "clip.mp4", "clip.mkv", "clip.mov", "clip.flv", "clip.mpg",
                                         "clip.wmv", "clip.3gp"),
                         [](const auto& info) { return info.param.substr(info.param.find('.') + 1); });

struct FormatCase {
  std::string ext;
  std::string codec;
  int channels;
  int rate;
  double tolerance;  // seconds: AC-3 pads its last frame
};

class FormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, WritesTheAskedCodecRateChannelsAndLength) {
  const FormatCase& format = GetParam();
  const std::string folder = fresh_folder("format");
  const std::string output = folder + "/wyl." + format.ext;
  const ProcessResult result = run_engine(conversion_command(test_clip("clip.mp4"), format.ext, format.channels,
                                                             format.rate, 96, "00:00:00.5", "1.75", output));
  ASSERT_EQ(result.exit_code, 0) << result.output;
  const auto facts = inspect_audio(output);
  ASSERT_TRUE(facts.has_value());
  EXPECT_EQ(facts->format, format.ext);
  EXPECT_EQ(facts->codec, format.codec);
  EXPECT_EQ(facts->sample_rate, format.rate);
  EXPECT_EQ(facts->channels, format.channels);
  EXPECT_NEAR(facts->seconds(), 1.75, format.tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatTest,
    testing::Values(FormatCase{"mp3", "mp3", 2, 44100, 0.03}, FormatCase{"mp3", "mp3", 1, 22050, 0.06},
                    FormatCase{"ac3", "ac3", 2, 48000, 0.04}, FormatCase{"ac3", "ac3", 1, 32000, 0.05},
                    FormatCase{"wav", "pcm_s16le", 1, 16000, 0.0}, FormatCase{"wav", "pcm_s16le", 2, 44100, 0.0}),
    [](const auto& info) {
      return info.param.ext + "_" + std::to_string(info.param.channels) + "ch_" + std::to_string(info.param.rate);
    });

// With a PCM source and no conversion, the output must be the very samples of the range.
class SampleAccuracyTest : public testing::TestWithParam<std::string> {};

TEST_P(SampleAccuracyTest, CutsAtTheExactSampleAndWritesExactlyTheLength) {
  const std::string source = test_clip(GetParam());
  const std::vector<int16_t> all = decode_s16(source);
  ASSERT_FALSE(all.empty());
  struct Range {
    std::string begin;
    int64_t first_sample;
    std::string length;
    int64_t sample_count;
  };
  for (const Range& range : {Range{"1.2345", 54441, "0.5", 22050}, Range{"00:00:04.000", 176400, "00:00:01.010", 44541},
                             Range{"0", 0, "0.1", 4410}}) {
    SCOPED_TRACE(range.begin);
    const std::string output = fresh_folder("accuracy") + "/cut.wav";
    const ProcessResult result =
        run_engine(conversion_command(source, "wav", 2, 44100, 128, range.begin, range.length, output));
    ASSERT_EQ(result.exit_code, 0) << result.output;
    const std::vector<int16_t> cut = decode_s16(output);
    ASSERT_EQ(static_cast<int64_t>(cut.size()), range.sample_count * 2);
    const auto first = all.begin() + range.first_sample * 2;
    EXPECT_TRUE(std::equal(cut.begin(), cut.end(), first)) << "the cut is shifted";
  }
}

INSTANTIATE_TEST_SUITE_P(PcmSources, SampleAccuracyTest, testing::Values("pcm.avi", "pcm.mov"),
                         [](const auto& info) { return info.param.substr(info.param.find('.') + 1); });

TEST(Conversion, ResamplingIgnoresWhetherTheChannelsAreNamed) {
  // Unnamed channels once set the resampler up anew for every frame: slow, and each frame's start
  // resampled as if nothing came before it.
  std::vector<std::vector<int16_t>> outputs;
  for (const char* name : {"named.mov", "unnamed.wav"}) {
    const std::string output = fresh_folder("unnamed") + "/out.wav";
    const ProcessResult result =
        run_engine(conversion_command(test_clip(name), "wav", 2, 44100, 128, "00:00:00", "00:00:04", output));
    ASSERT_EQ(result.exit_code, 0) << result.output;
    outputs.push_back(decode_s16(output));
  }
  ASSERT_EQ(outputs[0].size(), 4u * 44100 * 2);
  EXPECT_TRUE(outputs[1] == outputs[0]);
}

TEST(Conversion, VolumeScalesTheSamples) {
  const std::string source = test_clip("pcm.avi");
  const std::vector<int16_t> original = decode_s16(source);
  for (const int volume : {0, 128, 512}) {
    SCOPED_TRACE(volume);
    const std::string output = fresh_folder("volume") + "/out.wav";
    std::vector<std::string> command = conversion_command(source, "wav", 2, 44100, 128, "0", "1", output);
    set_option(command, "-vol", std::to_string(volume));
    const ProcessResult result = run_engine(command);
    ASSERT_EQ(result.exit_code, 0) << result.output;
    const std::vector<int16_t> scaled = decode_s16(output);
    ASSERT_EQ(scaled.size(), 88200u);
    int off = 0;
    for (std::size_t i = 0; i < scaled.size(); ++i) {
      const double expected = std::clamp(original[i] * volume / 256.0, -32768.0, 32767.0);
      if (std::abs(scaled[i] - expected) > 1.0) ++off;
    }
    EXPECT_EQ(off, 0);
  }
}

TEST(Conversion, ReplacesAnExistingOutputWithYesAndRefusesWithout) {
  const std::string folder = fresh_folder("existing");
  const std::string output = folder + "/out.mp3";
  std::ofstream(output) << "an older file";
  std::vector<std::string> command = {"-i", test_clip("clip.avi"), "-acodec", "mp3", output};

  const ProcessResult refused = run_engine(command);
  EXPECT_NE(refused.exit_code, 0);
  EXPECT_NE(refused.output.find(output), std::string::npos) << refused.output;
  EXPECT_EQ(fs::file_size(output), 13u) << "a refused run must leave the file alone";

  command.insert(command.begin(), "-y");
  const ProcessResult replaced = run_engine(command);
  ASSERT_EQ(replaced.exit_code, 0) << replaced.output;
  const auto facts = inspect_audio(output);
  ASSERT_TRUE(facts.has_value());
  EXPECT_NEAR(facts->seconds(), 3.0, 0.1);
}

TEST(Conversion, DefaultsFollowTheInputAndTheOutputName) {
  // Without -f, -acodec, -ar and -ac the name's extension and the source decide.
  const std::string output = fresh_folder("defaults") + "/out.WAV";
  const ProcessResult result = run_engine({"-i", test_clip("clip.flv"), output});
  ASSERT_EQ(result.exit_code, 0) << result.output;
  const auto facts = inspect_audio(output);
  ASSERT_TRUE(facts.has_value());
  EXPECT_EQ(facts->codec, "pcm_s16le");
  EXPECT_EQ(facts->sample_rate, 22050);
  EXPECT_EQ(facts->channels, 1);
}

}  // namespace
}  // namespace enginebin_test
