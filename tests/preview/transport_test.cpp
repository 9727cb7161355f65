// The main window's preview on the real player: Timer1 loading the selection, the track bar and
// clock following and moving the position, play/pause and stop, and Begin and End marking the
// selected row's range (only while the player holds that row's file).
#include "tests/preview/preview_program.h"

namespace preview_test {
namespace {

using batch_test::Press;
using test_support::ProcessEvents;
using test_support::ProcessEventsUntil;

TEST_F(PreviewTest, TheFirstTickWithoutASelectionOnlyRemembersThatNoneWasSelected) {
  ListFile(SilentWav(100), 100);
  EXPECT_EQ(Form1->Timer1->Tag(), -222);
  ASSERT_TRUE(ProcessEventsUntil([] { return Form1->Timer1->Tag() == -1; }, 2500));
  EXPECT_TRUE(Form1->ActiveMovie1->FileName().empty());
  EXPECT_NE(Form1->ActiveMovie1->OpenState(), nsOpen);
  EXPECT_EQ(Form1->sLabel2->Caption(), "00:00:00");
}

TEST_F(PreviewTest, TheTrackBarAndClockTruncateThePositionAndADragSeeksByTheLength) {
  // A name no 8-bit code page holds reaches the player whole.
  ListFile(Source(SilentWav(100), "Grüße – 日本語 🎵.wav"), 100);
  ListFile(SilentWav(120), 120);
  ASSERT_TRUE(SelectAndLoad(0));
  EXPECT_DOUBLE_EQ(Form1->ActiveMovie1->Duration(), 100.0);
  Form1->ActiveMovie1->Seek(30.75);
  ASSERT_TRUE(WaitForClock("00:00:30"));
  EXPECT_EQ(Form1->sTrackBar1->Position(), 30) << "30.75 of 100 is 30, never 31";

  ASSERT_TRUE(SelectAndLoad(1));
  EXPECT_EQ(Form1->sLabel2->Caption(), "00:00:00") << "a newly loaded file starts the clock again";
  EXPECT_EQ(Form1->sTrackBar1->Position(), 0);
  Drag(25);
  EXPECT_DOUBLE_EQ(PlayerPosition(), 30.0) << "25 of 100 on 120 s";
  ASSERT_TRUE(WaitForClock("00:00:30"));
  EXPECT_EQ(Form1->sTrackBar1->Position(), 25);
}

TEST_F(PreviewTest, PlayPauseResetsTheClockOnlyWhenStartingFromStopped) {
  ListFile(SilentWav(100), 100);
  ASSERT_TRUE(SelectAndLoad(0));
  TActiveMovie& player = *Form1->ActiveMovie1;
  player.Seek(40);
  ASSERT_TRUE(WaitForClock("00:00:40"));

  Press(Form1->sSpeedButton9);  // paused: plays on from there
  EXPECT_EQ(player.PlayState(), mpPlaying);
  EXPECT_EQ(Form1->sLabel2->Caption(), "00:00:40");
  EXPECT_EQ(Form1->sTrackBar1->Position(), 40);
  ProcessEvents(200);
  Press(Form1->sSpeedButton9);  // playing: pauses
  EXPECT_EQ(player.PlayState(), mpPaused);
  EXPECT_GT(PlayerPosition(), 40.0);

  Press(Form1->sSpeedButton10);  // stop: back to 0
  EXPECT_EQ(player.PlayState(), mpStopped);
  EXPECT_EQ(PlayerPosition(), 0.0);
  EXPECT_EQ(Form1->sLabel2->Caption(), "00:00:00");
  player.Seek(50);
  ASSERT_TRUE(WaitForClock("00:00:50"));
  Press(Form1->sSpeedButton9);  // stopped: the clock and track bar start again, then it plays
  EXPECT_EQ(Form1->sLabel2->Caption(), "00:00:00");
  EXPECT_EQ(Form1->sTrackBar1->Position(), 0);
  EXPECT_EQ(player.PlayState(), mpPlaying);
  ProcessEvents(150);
  Press(Form1->sSpeedButton10);

  // One second back and forward, clamped at the ends.
  player.Seek(10);
  Press(Form1->sSpeedButton12);
  EXPECT_NEAR(PlayerPosition(), 11.0, 1e-6);
  Press(Form1->sSpeedButton11);
  Press(Form1->sSpeedButton11);
  EXPECT_NEAR(PlayerPosition(), 9.0, 1e-6);
  player.Seek(0.5);
  Press(Form1->sSpeedButton11);
  EXPECT_EQ(PlayerPosition(), 0.0);
  player.Seek(99.5);
  Press(Form1->sSpeedButton12);
  EXPECT_DOUBLE_EQ(PlayerPosition(), 100.0);
}

TEST_F(PreviewTest, BeginAndEndMarkTheClockIntoTheRowExchangingWhatWouldRunBackwards) {
  ListFile(SilentWav(120), 120);
  ASSERT_TRUE(SelectAndLoad(0));
  TActiveMovie& player = *Form1->ActiveMovie1;
  auto markAt = [&](double seconds, TsSpeedButton* button) {
    player.Seek(seconds);
    ASSERT_TRUE(WaitForClock(SecondsToTime(false, seconds)));
    Press(button);
  };

  markAt(60, Form1->sSpeedButton13);  // Begin at 00:01:00 on 00:00:00 - 00:02:00
  EXPECT_EQ(Row(0).SubItem(0), "00:01:00 - 00:02:00");
  EXPECT_EQ(Row(0).SubItem(1), "00:01:00");

  Row(0).SetSubItem(0, "00:00:00 - 00:01:00");
  markAt(90, Form1->sSpeedButton13);  // Begin beyond the end: the two change places
  EXPECT_EQ(Row(0).SubItem(0), "00:01:00 - 00:01:30");
  EXPECT_EQ(Row(0).SubItem(1), "00:00:30");

  Row(0).SetSubItem(0, "00:01:00 - 00:01:40");
  markAt(30, Form1->sSpeedButton14);  // End before the begin
  EXPECT_EQ(Row(0).SubItem(0), "00:00:30 - 00:01:00");
  EXPECT_EQ(Row(0).SubItem(1), "00:00:30");

  markAt(60, Form1->sSpeedButton13);  // Begin at the end: nothing left
  EXPECT_EQ(Row(0).SubItem(0), "00:01:00 - 00:01:00");
  EXPECT_EQ(Row(0).SubItem(1), "00:00:00");

  EXPECT_EQ(Form1->sListView1->ItemIndex(), 0) << "the row stays selected";
  EXPECT_EQ(FileItems[0].BeginSeconds, 0) << "only the row's texts change";
  EXPECT_EQ(FileItems[0].DurationSeconds, 120);
}

TEST_F(PreviewTest, BeginAndEndLeaveARowAloneWhoseFileThePlayerDoesNotHold) {
  ListFile(SilentWav(100), 100);
  ListFile(SilentWav(120), 120);
  ListFile(Sources() + "gone.wav", 30);
  ASSERT_TRUE(SelectAndLoad(0));
  Form1->ActiveMovie1->Seek(70);
  ASSERT_TRUE(WaitForClock("00:01:10"));

  // A new selection before Timer1 has loaded it: the clock still tells of the first file.
  Form1->sListView1->SetItemIndex(1);
  Press(Form1->sSpeedButton14);
  Press(Form1->sSpeedButton13);
  EXPECT_EQ(Row(1).SubItem(0), "00:00:00 - 00:02:00");
  EXPECT_EQ(Row(1).SubItem(1), "00:02:00");
  EXPECT_EQ(Form1->sListView1->ItemIndex(), 1);

  ASSERT_TRUE(SelectAndLoad(1));
  Form1->ActiveMovie1->Seek(20);
  ASSERT_TRUE(WaitForClock("00:00:20"));
  Press(Form1->sSpeedButton14);
  EXPECT_EQ(Row(1).SubItem(0), "00:00:00 - 00:00:20");

  // A file that does not open leaves the player without media.
  Form1->sListView1->SetItemIndex(2);
  ASSERT_TRUE(ProcessEventsUntil([] { return Form1->Timer1->Tag() == 2; }, 2500));
  ProcessEvents(300);
  EXPECT_NE(Form1->ActiveMovie1->OpenState(), nsOpen);
  Press(Form1->sSpeedButton13);
  Press(Form1->sSpeedButton14);
  EXPECT_EQ(Row(2).SubItem(0), "00:00:00 - 00:00:30");
  EXPECT_EQ(Row(0).SubItem(0), "00:00:00 - 00:01:40") << "nor any other row";
}

TEST_F(PreviewTest, ARowThatMovedUpIntoTheLoadedRowsPlaceIsLoadedAsTheFileItIs) {
  const std::string first = Source(SilentWav(100), "first.wav");
  const std::string second = Source(SilentWav(100), "second.wav");
  const std::string third = Source(SilentWav(120), "third.wav");
  ListFile(first, 100);
  ListFile(second, 100);
  ListFile(third, 120);
  ASSERT_TRUE(SelectAndLoad(1));
  Form1->ActiveMovie1->Seek(70);
  ASSERT_TRUE(WaitForClock("00:01:10"));

  // Between two ticks: the first row is deleted and the third, now second, selected.
  Form1->sListView1->SetItemIndex(0);
  Press(Form1->sSpeedButton2);
  Form1->sListView1->SetItemIndex(1);
  ASSERT_EQ(Row(1).Caption(), "third.wav");
  Press(Form1->sSpeedButton14);
  EXPECT_EQ(Row(1).SubItem(0), "00:00:00 - 00:02:00") << "the clock is the second file's";

  ASSERT_TRUE(ProcessEventsUntil([&] { return Form1->ActiveMovie1->FileName() == com::Utf8ToUtf16(third); }, 2500));
  ASSERT_TRUE(ProcessEventsUntil([] { return Form1->ActiveMovie1->OpenState() == nsOpen; }, 3000));
  EXPECT_EQ(Form1->sLabel2->Caption(), "00:00:00");
  EXPECT_DOUBLE_EQ(Form1->ActiveMovie1->Duration(), 120.0);
}

}  // namespace
}  // namespace preview_test
