// What the command reads out of the engine's report, and what it writes into its own.
#include <gtest/gtest.h>

#include "cli/audio_tracks.h"
#include "cli/engine_summary.h"
#include "cli/progress_display.h"
#include "cli/run_report.h"

namespace cli {
namespace {

TEST(AudioTracks, AreTheAudioStreamsOfTheInputReportWithLanguageAndTitle) {
  const std::string report =
      "Input #0, matroska,webm, from 'a.mkv':\n"
      "  Duration: 00:00:03.0, start: 0.000000, bitrate: 300 kb/s\n"
      "  Stream #0.0: Video: mpeg4, 160x120, 10.00 fps\n"
      "  Stream #0.1(eng): Audio: ac3, 48000 Hz, 5.1(side), 448 kb/s\n"
      "    title: Main, with: commas\n"
      "  Stream #0.2: Subtitle: subrip\n"
      "    title: not a track\n"
      "  Stream #0.3(fre): Audio: aac, 44100 Hz, stereo\n"
      "Output #0, mp3, to 'x.mp3':\n"
      "  Stream #0.0: Audio: mp3, 44100 Hz, stereo, 128 kb/s\n";
  const std::vector<AudioTrack> tracks = AudioTracksOf(report);
  ASSERT_EQ(tracks.size(), 2u);
  EXPECT_EQ(tracks[0].Number, 1);
  EXPECT_EQ(tracks[0].Codec, "ac3");
  EXPECT_EQ(tracks[0].SampleRate, 48000);
  EXPECT_EQ(tracks[0].Channels, "5.1(side)");
  EXPECT_EQ(tracks[0].Language, "eng");
  EXPECT_EQ(tracks[0].Title, "Main, with: commas");
  EXPECT_EQ(tracks[1].Number, 2);
  EXPECT_EQ(tracks[1].Language, "fre");
  EXPECT_EQ(tracks[1].Title, "");
  EXPECT_EQ(TrackLine(tracks[1]), "  2   aac        44100 Hz  fre  stereo");
}

TEST(EngineSummary, GivesTheRangeWrittenAndTheLoudnessReached) {
  const EngineSummary summary = ReadEngineSummary(
      "  Duration: 00:00:03.0\nsize=  1kB time=0.5\rWritten: from 1.023000 to 3.368000\n"
      "Loudness: measured -18.25 LUFS, true peak -0.40 dBTP, gain -4.75 dB, result -23.00 LUFS\n"
      "size=   12kB time=2.3 bitrate=  41.0kbits/s    \r\n");
  ASSERT_TRUE(summary.Begin && summary.End);
  EXPECT_DOUBLE_EQ(*summary.Begin, 1.023);
  EXPECT_DOUBLE_EQ(*summary.End, 3.368);
  ASSERT_TRUE(summary.Loudness.has_value());
  EXPECT_DOUBLE_EQ(summary.Loudness->Measured, -18.25);
  EXPECT_DOUBLE_EQ(summary.Loudness->TruePeak, -0.4);
  EXPECT_DOUBLE_EQ(summary.Loudness->Gain, -4.75);
  EXPECT_DOUBLE_EQ(summary.Loudness->Result, -23.0);
  EXPECT_FALSE(ReadEngineSummary("size= 1kB time=0.5\n").Begin.has_value());
}

TEST(Progress, TheTotalCountsFilesDoneAndTellsTimeLeftFromTheSpeedSoFar) {
  std::vector<OutputJob> jobs(3);
  jobs[0].ExpectedSeconds = 60;
  jobs[1].ExpectedSeconds = 120;
  jobs[2].ExpectedSeconds = 60;
  std::vector<JobOutcome> outcomes(3);
  EXPECT_EQ(TotalLine(jobs, outcomes, 0.5), "0 of 3 files done");
  outcomes[0].State = JobState::Converted;
  outcomes[1].State = JobState::Running;
  outcomes[1].Seconds = 60;
  // 120 s of audio in 10 s: 12x, and the 120 s left take 10 s more.
  EXPECT_EQ(TotalLine(jobs, outcomes, 10), "1 of 3 files done, 00:10 left, 12.0x");
  outcomes[0].Target = "out/a.mp3";
  outcomes[0].Note = "its audio ends at 00:00:48.00, though it declares 00:01:00.00.";
  EXPECT_EQ(ProgressDisplay::EndedLine("a.avi", outcomes[0]),
            "a.avi -> out/a.mp3 (its audio ends at 00:00:48.00, though it declares 00:01:00.00.)");
  outcomes[2].State = JobState::Failed;
  outcomes[2].Error = "No audio.";
  EXPECT_EQ(ProgressDisplay::EndedLine("c.avi", outcomes[2]), "c.avi: No audio.");
}

TEST(JsonReport, NamesEveryInputWithItsOutputsAndErrors) {
  Options options;
  std::vector<SourcePlan> sources(2);
  sources[0].Path = "/v/a \"quoted\"\\name.avi";
  sources[0].Probed = true;
  sources[0].Seconds = 3;
  sources[0].Track = AudioTrack{1, "aac", 44100, "stereo", "", ""};
  sources[1].Path = "/v/broken.avi";
  sources[1].Probed = true;
  sources[1].Error = "There is no CODEC\nfor it.";
  std::vector<OutputJob> jobs(2);
  jobs[0].Range = TimeRange{1000, 3345};
  jobs[1].Range = TimeRange{2000, std::nullopt};
  std::vector<JobOutcome> outcomes(2);
  outcomes[0].State = JobState::Converted;
  outcomes[0].Target = "/o/a-1.mp3";
  outcomes[0].Summary.Begin = 1.0;
  outcomes[0].Summary.End = 3.345;
  outcomes[1].State = JobState::Failed;
  outcomes[1].Target = "/o/a-2.mp3";
  outcomes[1].Error = "The start lies beyond the end";
  const RunResult result{options, sources, jobs, outcomes, false};

  EXPECT_EQ(ExitCodeOf(result), 1);
  EXPECT_EQ(SummaryLine(result), "Converted 1 of 3 files.\n");
  EXPECT_NE(FailureList(result).find("2 failures:\n  /v/broken.avi: There is no CODEC"), std::string::npos);
  const std::string json = JsonReport(result);
  for (const char* part :
       {"\"source\": \"/v/a \\\"quoted\\\"\\\\name.avi\"", "\"duration\": 3, \"track\": 1, \"error\": null",
        "{\"file\": \"/o/a-1.mp3\", \"state\": \"converted\"",
        "\"range_asked\": {\"begin\": 1.000, \"end\": 3.345}, \"range_written\": {\"begin\": 1.000, \"end\": 3.345}, "
        "\"duration\": 2.345",
        "\"range_asked\": {\"begin\": 2.000, \"end\": null}, \"range_written\": null",
        "\"error\": \"There is no CODEC\\nfor it.\"", "\"converted\": 1", "\"failed\": 2"})
    EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
}

}  // namespace
}  // namespace cli
