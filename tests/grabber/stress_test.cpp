// Bursts of captures while the player seeks, pauses and opens its media again: every frame that
// arrives is whole and of the video's size, and nothing is left running.
#include <random>

#include "player/sample_grabber_cb.h"
#include "tests/grabber/grabber_fixture.h"
#include "tests/ui_support/qt_wait.h"

namespace grabber_test {
namespace {

using test_support::ProcessEvents;

class Stress : public GrabberTest {};

TEST_F(Stress, BurstsThroughSeeksAndReopens) {
  movie->SetFGrabber_BurstMode(true);
  movie->SetFGrabber_BurstCount(0);
  std::mt19937 random(12);
  const std::string clips[] = {CountedClip(), CountedClip("counted_short.mkv")};
  int opened = 0;
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(OpenWithGrabber(clips[round % 2])) << "round " << round;
    ++opened;
    ASSERT_TRUE(PlayAndWait());
    const TFrameCapture_Dest dest = round == 1 ? TFrameCapture_Dest::fcJpegFile : TFrameCapture_Dest::fcTBitmap;
    ASSERT_TRUE(movie->CaptureFrames(dest, dest == TFrameCapture_Dest::fcJpegFile ? Storage("burst.jpg") : ""));
    for (int step = 0; step < 6; ++step) {
      movie->Seek(std::uniform_real_distribution<double>(0.0, 1.5)(random));
      ProcessEvents(60);
      if (step == 3) {
        movie->Pause();
        ProcessEvents(30);
        movie->Play();
      }
    }
    // A new request while the burst runs replaces it.
    ASSERT_TRUE(movie->CaptureFrames(TFrameCapture_Dest::fcTBitmap));
    ProcessEvents(100);
  }
  movie->CancelCapture();
  ProcessEvents(100);
  ASSERT_GT(captures.size(), 10u);
  for (const Capture& capture : captures) {
    ASSERT_EQ(kWidth, capture.image.width());
    ASSERT_EQ(kHeight, capture.image.height());
    EXPECT_TRUE(capture.success);
    EXPECT_GT(MatchingShare(capture.image, capture.frame, capture.dest == TFrameCapture_Dest::fcJpegFile ? 12 : 2,
                            capture.dest == TFrameCapture_Dest::fcJpegFile ? 2 : 0),
              0.98)
        << "a frame torn or mixed with another";
  }
  EXPECT_EQ(3, opened);
  EXPECT_FALSE(movie->Grabber()->Busy());
}

}  // namespace
}  // namespace grabber_test
