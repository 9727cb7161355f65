// Batches that do not simply succeed: Cancel, sources the engine cannot convert, outputs that
// cannot be moved, stale temporary files; and a temporary file on another file system.
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "app/engine_deployment.h"
#include "batch/temporary_output.h"
#include "platform/win32/places.h"
#include "tests/batch/batch_program.h"
#include "tests/enginebin/media_inspection.h"
#include "tests/enginebin/test_media.h"

namespace batch_test {
namespace {

using enginebin_test::inspect_audio;
using enginebin_test::test_clip;
using test_support::ProcessEventsUntil;
using test_support::ReplaceEngine;  // for faults that the real engine guards against itself

// This copy's temporary files, whole or partial.
std::vector<std::string> TemporaryFiles() {
  std::vector<std::string> names;
  const std::string own = "wyl-" + std::to_string(getpid()) + ".";
  for (const auto& entry : fs::directory_iterator(win32::TemporaryRoot()))
    if (entry.path().filename().string().rfind(own, 0) == 0) names.push_back(entry.path().filename().string());
  return names;
}

TEST_F(BatchTest, CancelKeepsWhatWasNotConvertedListedWithItsRangeAndSaysHowFarTheBatchGot) {
  const std::string first = Source(test_clip("clip.avi"), "a.avi");
  const std::string second = Source(test_clip("long.wav"), "long.wav");
  const std::string third = Source(test_clip("clip.avi"), "c.avi");
  List(first);
  List(second, "00:00:10", "00:01:50");
  List(third);
  Press(Form1->sSpeedButton4);
  ASSERT_TRUE(ProcessEventsUntil([&] { return CurrentRun.Source == second && !TemporaryFiles().empty(); }, 20000));
  EXPECT_EQ(Form3->sLabel1->Caption(), "Converting \"long.wav\":");

  Form3->Widget()->close();  // the close box
  EXPECT_TRUE(Form3->Visible());
  ASSERT_TRUE(Converting);
  Press(Form3->sButton1);
  EXPECT_EQ(FinishBatch(3000),
            "The batch was cancelled. 1 of 3 files were converted.\r\nThe 2 files not converted are listed again.");
  EXPECT_EQ(OutputFiles(), std::vector<std::string>{"a.mp3"});
  EXPECT_TRUE(TemporaryFiles().empty()) << "the killed engine's file stayed";
  ASSERT_EQ(Form1->sListView1->Items().Count(), 2);
  const TListItem& row = *Form1->sListView1->Items().Item(0);
  EXPECT_EQ(row.Caption(), "long.wav");
  EXPECT_EQ(row.SubItem(0), "00:00:10 - 00:01:50");
  EXPECT_EQ(row.SubItem(1), "00:01:40");
  EXPECT_EQ(Form1->sListView1->Items().Item(1)->Caption(), "c.avi");
  ASSERT_EQ(FileItems.size(), 2u);
  EXPECT_EQ(FileItems[0].SourcePath, second);
  EXPECT_EQ(FileItems[1].SourcePath, third);
  EXPECT_EQ(Form1->sLabel4->Caption(), "Added 2 file(s).");
  EXPECT_NE(Form3->sLabel4->Caption(), "100%");
  EXPECT_FALSE(Form3->Visible());
  EXPECT_TRUE(Form1->Visible());
}

TEST_F(BatchTest, EndingTheProgramDuringABatchStopsTheEngineRemovesItsFileAndSavesTheFolder) {
  for (const bool requested : {false, true}) {
    SCOPED_TRACE(requested ? "a termination request" : "the main window closed");
    List(Source(test_clip("long.wav"), "long.wav"), "00:00:00", "00:02:01");
    Press(Form1->sSpeedButton4);
    ASSERT_TRUE(ProcessEventsUntil([] { return !TemporaryFiles().empty(); }, 20000));
    const DWORD engine = Converter->ProcessInfo.dwProcessId;
    if (requested) {
      kill(getpid(), SIGTERM);
    } else {
      Form1->Close();
    }
    ASSERT_TRUE(ProcessEventsUntil([this] { return application->Terminated(); }));
    Stop();
    EXPECT_EQ(OpenProcess(SYNCHRONIZE, FALSE, engine), nullptr) << "the engine runs on";
    EXPECT_TRUE(TemporaryFiles().empty());
    EXPECT_EQ(ReadOutputFolder(), Output());
    ResetBatchState();
    Start();  // for the next round, and for TearDown
    Form1->Show();
    Form1->sDirectoryEdit1->SetText(Output());
  }
}

TEST_F(BatchTest, FailedFilesAreNamedWithTheirReasonAndNothingStaleTakesTheirPlace) {
  const std::string leftover = batch::TemporaryOutputFile("mp3");
  test_support::WriteFile(leftover, "left by a killed run");
  List(Source(test_clip("junk.avi"), "junk.avi"));
  List(Source(test_clip("noaudio.avi"), "no audio.avi"));  // given to the engine by an alias
  List(Source(test_clip("clip.avi"), "clip.avi"));
  List(Sources() + "gone away.avi");  // deleted after it was listed
  EXPECT_EQ(RunBatch(),
            "Done.\r\n\r\n3 of 4 files could not be converted:\r\n"
            "junk.avi: The file is not in a format that can be read.\r\n"
            "no audio.avi: 'no audio.avi' has no audio stream\r\n"
            "gone away.avi: The file cannot be found; it may have been moved or deleted.");
  EXPECT_EQ(OutputFiles(), std::vector<std::string>{"clip.mp3"});
  EXPECT_TRUE(inspect_audio(Output() + "clip.mp3").has_value());
  EXPECT_FALSE(fs::exists(leftover));
}

TEST_F(BatchTest, OnlyAFileThatTheCurrentRunFinishedIsMoved) {
  const std::string temporary = batch::TemporaryOutputFile("mp3");
  test_support::WriteFile(temporary, "left by an earlier run");
  ReplaceEngine("exit 0");  // ends well without writing a thing
  List(Source(test_clip("clip.avi"), "clip.avi"));
  EXPECT_EQ(RunBatch(),
            "Done.\r\n\r\n1 of 1 file could not be converted:\r\nclip.avi: The converter wrote no output file.");

  ReplaceEngine("for a; do out=$a; done; echo partial > \"$out\"; exit 3");  // breaks off mid-file
  List(Source(test_clip("clip.avi"), "clip.avi"));
  EXPECT_EQ(RunBatch(),
            "Done.\r\n\r\n1 of 1 file could not be converted:\r\nclip.avi: The converter stopped "
            "unexpectedly (exit code 3).");
  EXPECT_TRUE(OutputFiles().empty());
  EXPECT_FALSE(fs::exists(temporary));
}

TEST_F(BatchTest, AnAc3SampleRateThatCannotBeIsRefusedAtStartWithTheRemedy) {
  Form1->sComboBox1->SetItemIndex(1);
  List(Source(test_clip("clip.avi"), "clip.avi"));
  for (const auto& [index, rate] : {std::pair{0, "16000"}, std::pair{1, "22050"}}) {
    SCOPED_TRACE(rate);
    dialogs->messages.clear();
    StoreSettings(8, index, 1);
    Press(Form1->sSpeedButton4);
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_EQ(dialogs->messages[0].text, "AC3 files cannot have a sample rate of " + std::string(rate) +
                                             " Hz. Choose 32000, 44100 or 48000 Hz in Settings.");
    EXPECT_FALSE(Converting);
    EXPECT_FALSE(Form3->Visible());
    EXPECT_TRUE(Converter->CommandLine.empty()) << "the engine was started";
    EXPECT_FALSE(fs::exists(Output())) << "the output folder was made";
    EXPECT_EQ(Form1->sListView1->Items().Count(), 1);
  }
}

TEST_F(BatchTest, AnOutputThatCannotBeMovedIsReportedAndRemoved) {
  List(Source(test_clip("clip.avi"), "clip.avi"));
  Press(Form1->sSpeedButton4);
  fs::remove_all(Output());  // the folder goes while the engine runs
  EXPECT_EQ(FinishBatch(),
            "Done.\r\n\r\n1 of 1 file could not be converted:\r\nclip.avi: The converted file could "
            "not be saved as " +
                Output() + "clip.mp3: " + SysErrorMessage(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(fs::exists(batch::TemporaryOutputFile("mp3")));
}

TEST_F(BatchTest, TheTemporaryFileMayLieOnAnotherFileSystemThanTheOutput) {
  struct stat shm {
  }, home{};
  if (stat("/dev/shm", &shm) != 0 || stat(places.HomeDir().c_str(), &home) != 0 || shm.st_dev == home.st_dev) {
    GTEST_SKIP() << "no second file system at hand";
  }
  std::string pattern = "/dev/shm/sonvarra-batch-XXXXXX";
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  places.Environment().Set("SONVARRA_TEMP_DIR", pattern);
  List(Source(test_clip("clip.avi"), "clip.avi"));
  EXPECT_EQ(RunBatch(), "Done.");
  EXPECT_TRUE(inspect_audio(Output() + "clip.mp3").has_value());
  EXPECT_TRUE(fs::is_empty(pattern));
  fs::remove_all(pattern);
}

}  // namespace
}  // namespace batch_test
