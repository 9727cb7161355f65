#include "batch/early_end.h"

#include <gtest/gtest.h>

#include "batch/failure_reasons.h"
#include "tests/support/temp_places.h"

TEST(EarlyEnd, IsReadFromItsOwnLineAmongTheProgressReports) {
  const std::string report =
      "Input #0, mov,mp4, from 'cut.mp4':\n  Duration: 00:00:10.00, start: 0.000000\n"
      "size=      40kB time=4.5 bitrate=  72.0kbits/s    \r"
      "Input ended early: audio until 00:00:04.80, declared 00:00:10.00\n"
      "size=      43kB time=4.8 bitrate=  72.0kbits/s    \n";
  const auto end = batch::FindEarlyEnd(report);
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->AudioUntil, "00:00:04.80");
  EXPECT_EQ(end->Declared, "00:00:10.00");
  EXPECT_EQ(batch::EarlyEndNote(*end), "its audio ends at 00:00:04.80, though it declares 00:00:10.00.");

  for (const std::string& other :
       {std::string("size=      43kB time=4.8 bitrate=  72.0kbits/s    \n"),
        std::string("Input ended early: audio until 00:00:04.80, declared 00:00:1"),           // cut off by the read
        std::string("Input ended early: audio until 0:00:04.8, declared 00:00:10.00\n"),       // not a time code
        std::string("'Input ended early: audio until 00:00:04.80, declared 00:00:10.00'")}) {  // in a file name
    EXPECT_FALSE(batch::FindEarlyEnd(other).has_value()) << other;
  }
}

TEST(EngineFailureReason, AFullDiskIsTheTemporaryFoldersNotTheOutputs) {
  test_support::TempFolder sources;
  batch::FailedRun run;
  run.Source = sources.str() + "/clip.avi";
  test_support::WriteFile(run.Source, "video");
  run.ShortSource = run.Source;
  run.TemporaryFile = "/home/u/.cache/sonvarra/wyl-7.wav";
  run.TemporaryFolder = "/home/u/.cache/sonvarra/";
  run.Target = "/media/stick/clip.wav";
  run.ExitCode = 1;
  run.Output = "Could not write to '/home/u/.cache/sonvarra/wyl-7.wav' (No space left on device)\n";
  EXPECT_EQ(batch::EngineFailureReason(run),
            "The temporary folder /home/u/.cache/sonvarra/ is full, so the converted file had no room there. Free "
            "some space in it and convert the file again.");
}
