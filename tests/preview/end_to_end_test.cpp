// What the program is for, through its real windows: add a clip, listen to it in the preview, mark
// a range with the track bar, Begin, playing on and End, and convert it. The clip's sound says
// which second of it is heard, so the converted file shows which part of the clip it holds.
#include <filesystem>

#include "child_process.h"
#include "media_inspection.h"
#include "test_media.h"
#include "tests/mediaplayer/heard_audio.h"
#include "tests/mediaplayer/player_media.h"
#include "tests/preview/preview_program.h"

namespace preview_test {
namespace {

namespace fs = std::filesystem;
using batch_test::Press;
using test_support::ProcessEventsUntil;

// The converted file's sound as the tone analysis reads it (16-bit stereo at 48 kHz).
mediaplayer_test::HeardAudio SoundOf(const std::string& file) {
  const std::string raw = enginebin_test::fresh_folder("sound") + "/sound.raw";
  const auto result = enginebin_test::run_process({enginebin_test::ffmpeg_program(), "-nostdin", "-v", "error", "-y",
                                                   "-i", file, "-f", "s16le", "-ac", "2", "-ar", "48000", raw});
  EXPECT_EQ(result.exit_code, 0) << result.output;
  return mediaplayer_test::HeardAudio(raw, mediaplayer_test::CaptureFormat{48000, 2, false});
}

TEST_F(PreviewTest, TheRangeMarkedInThePreviewIsWhatTheBatchConverts) {
  const std::string clip = Source(mediaplayer_test::TestMedia("tone.mp4"), "tone.mp4");
  Form1->sComboBox1->SetItemIndex(2);  // WAV: the sound exactly as cut
  dialogs->openAnswers.push_back(std::vector<AnsiString>{clip});
  Press(Form1->sSpeedButton1);  // Add...
  ASSERT_EQ(Form1->sListView1->Items().Count(), 1);
  ASSERT_EQ(Form1->sListView1->ItemIndex(), 0) << "Add selects the row it added";

  // Timer1 loads it, paused at its start.
  ASSERT_TRUE(SelectAndLoad(0));
  // A quarter along the track bar is 3 s into the 12 s clip.
  Drag(25);
  ASSERT_TRUE(WaitForClock("00:00:03"));
  Press(Form1->sSpeedButton13);  // Begin
  EXPECT_EQ(Row(0).SubItem(0).substr(0, 11), "00:00:03 - ");

  Press(Form1->sSpeedButton9);  // play on
  ASSERT_EQ(Form1->ActiveMovie1->PlayState(), mpPlaying);
  ASSERT_TRUE(WaitForClock("00:00:05", 4000));
  Press(Form1->sSpeedButton14);  // End
  EXPECT_EQ(Row(0).SubItem(0), "00:00:03 - 00:00:05");
  EXPECT_EQ(Row(0).SubItem(1), "00:00:02");

  Press(Form1->sSpeedButton4);  // Start: the preview stops first
  EXPECT_EQ(Form1->ActiveMovie1->PlayState(), mpStopped);
  EXPECT_EQ(Form1->sLabel2->Caption(), "00:00:00");
  EXPECT_EQ(FinishBatch(), "Done.");
  ASSERT_EQ(OutputFiles(), std::vector<std::string>{"tone.wav"});

  const std::string converted = Output() + "tone.wav";
  const auto facts = enginebin_test::inspect_audio(converted);
  ASSERT_TRUE(facts.has_value());
  EXPECT_NEAR(facts->seconds(), 2.0, 0.01);
  const mediaplayer_test::HeardAudio sound = SoundOf(converted);
  ASSERT_EQ(sound.Runs().size(), 1u) << "one stretch of sound, no gap";
  const mediaplayer_test::SoundRun& run = sound.Runs()[0];
  EXPECT_NEAR(run.length, 2.0, 0.03);
  ASSERT_EQ(run.changes.size(), 2u) << "seconds 3 and 4 of the clip";
  EXPECT_EQ(run.changes[0].second, 3);
  EXPECT_LT(run.changes[0].first, 0.02);
  EXPECT_EQ(run.changes[1].second, 4);
  EXPECT_NEAR(run.changes[1].first, 1.0, 0.03);
}

}  // namespace
}  // namespace preview_test
