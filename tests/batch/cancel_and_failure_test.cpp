// Batches that do not simply succeed: Cancel, sources the engine cannot convert, outputs that
// cannot be moved, stale temporary files; and a temporary file on another file system.
#include <sys/stat.h>

#include "app/engine_deployment.h"
#include "app/temporary_output.h"
#include "tests/batch/batch_program.h"
#include "tests/enginebin/media_inspection.h"
#include "tests/enginebin/test_media.h"

namespace batch_test {
namespace {

using enginebin_test::inspect_audio;
using enginebin_test::test_clip;
using test_support::ProcessEventsUntil;

TEST_F(BatchTest, CancelDuringTheFirstOfThreeFilesLeavesNoOutputAndEndsWithDone) {
  List(Source(test_clip("long.wav"), "long.wav"), "00:00:00", "00:02:01");
  List(Source(test_clip("clip.avi"), "b.avi"));
  List(Source(test_clip("clip.avi"), "c.avi"));
  Press(Form1->sSpeedButton4);
  const std::string partial = TemporaryOutputFile("mp3");
  ASSERT_TRUE(ProcessEventsUntil([&] { return fs::exists(partial) && fs::file_size(partial) > 0; }, 20000));
  EXPECT_EQ(Form3->sLabel1->Caption(), "Converting \"long.wav\":");

  Form3->Widget()->close();  // the close box
  EXPECT_TRUE(Form3->Visible());
  ASSERT_TRUE(Converting);
  Press(Form3->sButton1);
  EXPECT_EQ(FinishBatch(3000), "Done.");
  EXPECT_TRUE(OutputFiles().empty());
  EXPECT_FALSE(fs::exists(partial));
  EXPECT_EQ(Form1->sListView1->Items().Count(), 0);
  EXPECT_TRUE(FileItems.empty());
  EXPECT_EQ(Form1->sLabel4->Caption(), "Added 0 file(s).");
  EXPECT_FALSE(Form3->Visible());
  EXPECT_TRUE(Form1->Visible());
}

TEST_F(BatchTest, FailedFilesAreNamedWithTheirReasonAndNothingStaleTakesTheirPlace) {
  const std::string leftover = TemporaryOutputFile("mp3");
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

// A stand-in engine for faults that the real one guards against itself.
void ReplaceEngine(const std::string& script) {
  const fs::path engine = fs::path(WorkFolder()) / "nnn.exe";
  test_support::WriteFile(engine, "#!/bin/sh\n" + script + "\n");
  fs::permissions(engine, fs::perms::owner_all);
}

TEST_F(BatchTest, OnlyAFileThatTheCurrentRunFinishedIsMoved) {
  const std::string temporary = TemporaryOutputFile("mp3");
  test_support::WriteFile(temporary, "left by an earlier run");
  ReplaceEngine("exit 0");  // ends well without writing a thing
  List(Source(test_clip("clip.avi"), "clip.avi"));
  EXPECT_EQ(RunBatch(),
            "Done.\r\n\r\n1 of 1 file could not be converted:\r\nclip.avi: The converter wrote no output file.");

  ReplaceEngine("for a; do out=$a; done; echo partial > \"$out\"; exit 3");  // breaks off mid-file
  List(Source(test_clip("clip.avi"), "clip.avi"));
  EXPECT_EQ(RunBatch(), "Done.\r\n\r\n1 of 1 file could not be converted:\r\nclip.avi: The converter stopped "
                        "unexpectedly (exit code 3).");
  EXPECT_TRUE(OutputFiles().empty());
  EXPECT_FALSE(fs::exists(temporary));
}

TEST_F(BatchTest, AnAc3SampleRateTheEncoderRefusesIsExplainedWithTheRemedy) {
  StoreSettings(8, 0, 1);  // 16000 Hz
  Form1->sComboBox1->SetItemIndex(1);
  List(Source(test_clip("clip.avi"), "clip.avi"));
  EXPECT_EQ(RunBatch(),
            "Done.\r\n\r\n1 of 1 file could not be converted:\r\nclip.avi: AC3 files cannot have a sample rate "
            "of 16000 Hz. Choose 32000, 44100 or 48000 Hz in Settings.");
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(BatchTest, AnOutputThatCannotBeMovedIsReportedAndRemoved) {
  List(Source(test_clip("clip.avi"), "clip.avi"));
  Press(Form1->sSpeedButton4);
  fs::remove_all(Output());  // the folder goes while the engine runs
  EXPECT_EQ(FinishBatch(), "Done.\r\n\r\n1 of 1 file could not be converted:\r\nclip.avi: The converted file could "
                           "not be saved as " + Output() + "clip.mp3: " + SysErrorMessage(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(fs::exists(TemporaryOutputFile("mp3")));
}

TEST_F(BatchTest, TheTemporaryFileMayLieOnAnotherFileSystemThanTheOutput) {
  struct stat shm{}, home{};
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
