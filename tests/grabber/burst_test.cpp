// Bursts on the real player: every n-th frame n times, a count of 0 until cancelled, and the stop
// that cancels.
#include "player/sample_grabber_cb.h"
#include "tests/grabber/grabber_fixture.h"
#include "tests/ui_support/qt_wait.h"

namespace grabber_test {
namespace {

using test_support::ProcessEvents;

class Bursts : public GrabberTest {};

// A frame that comes while the one before is still on its way is not counted, so on a busy
// machine the gap may be wider than asked, never narrower.
void ExpectGaps(const std::vector<Capture>& captures, int interval) {
  int exact = 0;
  for (std::size_t i = 1; i < captures.size(); ++i) {
    const int gap = captures[i].frame - captures[i - 1].frame;
    EXPECT_GE(gap, interval) << "between captures " << i - 1 << " and " << i;
    if (gap == interval) ++exact;
  }
#if !defined(__SANITIZE_THREAD__)  // there the GUI thread is too slow to take every frame in time
  EXPECT_GT(exact, 0) << "no two captures were the asked interval apart";
#endif
}

TEST_F(Bursts, EveryNthFrameNTimesThenDisarmed) {
  movie->SetFGrabber_BurstMode(true);
  movie->SetFGrabber_BurstCount(5);
  movie->SetFGrabber_BurstInterval(4);
  ASSERT_TRUE(OpenWithGrabber());
  ASSERT_TRUE(PlayAndWait());
  ASSERT_TRUE(movie->CaptureFrames(TFrameCapture_Dest::fcTBitmap));
  ASSERT_TRUE(WaitForCaptures(5));
  ProcessEvents(400);  // ten frames more
  ASSERT_EQ(5u, captures.size());
  EXPECT_FALSE(movie->Grabber()->Armed());
  ExpectGaps(captures, 4);
}

TEST_F(Bursts, ACountOfZeroGoesOnUntilCancelledAndAnIntervalOfZeroTakesEveryFrame) {
  movie->SetFGrabber_BurstMode(true);
  movie->SetFGrabber_BurstInterval(0);  // stored, but the callback keeps 1
  ASSERT_TRUE(OpenWithGrabber());
  EXPECT_EQ(0, movie->FGrabber_BurstInterval());
  EXPECT_EQ(1, movie->Grabber()->BurstInterval());
  ASSERT_TRUE(PlayAndWait());
  ASSERT_TRUE(movie->CaptureFrames(TFrameCapture_Dest::fcTBitmap));
  ASSERT_TRUE(WaitForCaptures(12));
  EXPECT_TRUE(movie->Grabber()->Armed());
  ExpectGaps(captures, 1);

  movie->CancelCapture();
  ProcessEvents(100);  // a frame already on its way still arrives
  const std::size_t settled = captures.size();
  ProcessEvents(300);
  EXPECT_EQ(settled, captures.size());
  EXPECT_FALSE(movie->Grabber()->Armed());
  EXPECT_EQ(0, movie->Grabber()->Remaining());
}

TEST_F(Bursts, StoppingThePlayerCancelsTheCapture) {
  movie->SetFGrabber_BurstMode(true);
  ASSERT_TRUE(OpenWithGrabber());
  ASSERT_TRUE(PlayAndWait());
  ASSERT_TRUE(movie->CaptureFrames(TFrameCapture_Dest::fcTBitmap));
  ASSERT_TRUE(WaitForCaptures(2));
  movie->Stop();
  EXPECT_FALSE(movie->Grabber()->Armed());
  ProcessEvents(100);
  const std::size_t settled = captures.size();
  ASSERT_TRUE(PlayAndWait());
  ProcessEvents(300);
  EXPECT_EQ(settled, captures.size()) << "frames captured after the stop";
}

}  // namespace
}  // namespace grabber_test
