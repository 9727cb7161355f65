// What reaches the speakers (SDL's disk driver) after each transport call, told by the stepped
// tone of the test media, and how the reported position matches it.
#include <gtest/gtest.h>

#include <QTimer>
#include <cmath>

#include "tests/mediaplayer/audio_capture.h"
#include "tests/mediaplayer/hosted_player.h"
#include "tests/mediaplayer/player_media.h"
#include "tests/ui_support/qt_wait.h"

namespace mediaplayer_test {
namespace {

using test_support::ProcessEvents;

constexpr double kPositionTolerance = 0.040;  // the position follows what is heard this closely
constexpr double kToneTolerance = 0.030;      // where a tone change is found in what was heard

// The run heard from fileStart (seconds of the file) must carry the tone of the file from there:
// the first second heard is the one fileStart lies in, and each change comes when the file's does.
void ExpectRunFrom(const SoundRun& run, double fileStart, int line) {
  SCOPED_TRACE(testing::Message() << "run heard from " << fileStart << " s, called at line " << line);
  ASSERT_FALSE(run.changes.empty());
  EXPECT_EQ(run.changes[0].second, static_cast<int>(std::floor(fileStart + 0.005)));
  EXPECT_LT(run.changes[0].first, 0.02);
  for (std::size_t i = 1; i < run.changes.size(); ++i) {
    const int second = run.changes[i].second;
    EXPECT_EQ(second, run.changes[i - 1].second + 1) << "seconds heard in order";
    EXPECT_NEAR(run.changes[i].first, second - fileStart, kToneTolerance);
  }
}

TEST(PlayerHeard, OpenPlayPauseSeekStepAndStopPlayTheRightPartOfTheFile) {
  HostedPlayer host;
  host->put_AutoStart(VARIANT_FALSE);
  host->put_AutoRewind(VARIANT_FALSE);
  host->put_Volume(0);
  ASSERT_TRUE(host.OpenAndWait(TestMedia("tone.mp4")));
  ProcessEvents(300);
  EXPECT_TRUE(Heard().Silent()) << "nothing is heard before Play";

  // Play from the start for a little over a second.
  ASSERT_EQ(host->Play(), S_OK);
  ProcessEvents(1400);
  ASSERT_EQ(host->Pause(), S_OK);
  const double firstEnd = host.Position();
  ProcessEvents(150);
  HeardAudio heard = Heard();
  ASSERT_EQ(heard.Runs().size(), 1u);
  ExpectRunFrom(heard.Runs()[0], 0.0, __LINE__);
  EXPECT_NEAR(heard.Runs()[0].length, firstEnd, kPositionTolerance) << "the position is what was heard";
  ProcessEvents(200);
  EXPECT_NEAR(host.Position(), firstEnd, 0.001) << "paused";

  // Seek while paused, then play past a tone change.
  ASSERT_EQ(host->put_CurrentPosition(5.5), S_OK);
  EXPECT_NEAR(host.Position(), 5.5, 0.001);
  ASSERT_EQ(host->Play(), S_OK);
  ProcessEvents(800);
  ASSERT_EQ(host->Pause(), S_OK);
  const double secondEnd = host.Position();
  ProcessEvents(150);
  heard = Heard();
  ASSERT_EQ(heard.Runs().size(), 2u);
  ExpectRunFrom(heard.Runs()[1], 5.5, __LINE__);
  EXPECT_NEAR(heard.Runs()[1].length, secondEnd - 5.5, kPositionTolerance);

  // A step of one second moves by exactly one second of sound.
  const double stepped = secondEnd + 1.0;
  ASSERT_EQ(host->put_CurrentPosition(stepped), S_OK);
  EXPECT_NEAR(host.Position(), stepped, 0.001);
  ASSERT_EQ(host->Play(), S_OK);
  ProcessEvents(600);
  ASSERT_EQ(host->Pause(), S_OK);
  ProcessEvents(150);
  heard = Heard();
  ASSERT_EQ(heard.Runs().size(), 3u);
  ExpectRunFrom(heard.Runs()[2], stepped, __LINE__);

  // Stop keeps the position (no rewind asked for) and lets nothing more out.
  const double beforeStop = host.Position();
  ASSERT_EQ(host->Stop(), S_OK);
  EXPECT_EQ(host.PlayState(), mpStopped);
  EXPECT_NEAR(host.Position(), beforeStop, 0.001);
  const double heardUntilStop = Heard().Length();
  ProcessEvents(300);
  EXPECT_EQ(Heard().Runs().size(), 3u);
  EXPECT_NEAR(Heard().Length(), heardUntilStop, 0.1) << "the device is closed";
  // Play after Stop goes on from there.
  ASSERT_EQ(host->Play(), S_OK);
  ProcessEvents(400);
  ASSERT_EQ(host->Pause(), S_OK);
  ProcessEvents(150);
  heard = Heard();  // a new device: a new capture
  ASSERT_EQ(heard.Runs().size(), 1u);
  ExpectRunFrom(heard.Runs()[0], beforeStop, __LINE__);
}

TEST(PlayerHeard, APlayerPausedRightAfterItStartedByItselfMakesNoSound) {
  HostedPlayer host;  // AutoStart as it comes: on
  host->put_Volume(0);
  // What the preview does: seeing the player play after an opening, pause it on the next tick of
  // its 50 ms poll.
  host.Site().onEvent = [&host](const RecordedEvent& event) {
    if (event.id == DISPID_MPE_PLAYSTATECHANGE && event.numbers.size() == 2 &&
        event.numbers[1] == static_cast<double>(mpPlaying))
      QTimer::singleShot(50, [&host] { host->Pause(); });
  };
  ASSERT_TRUE(host.OpenAndWait(TestMedia("tone.mp4")));
  ASSERT_TRUE(host.WaitForPlayState(mpPaused, 3000));
  ProcessEvents(400);
  const HeardAudio heard = Heard();
  EXPECT_GT(heard.Length(), 0.3) << "the device ran all the while";
  EXPECT_TRUE(heard.Silent()) << "a blip of " << (heard.Runs().empty() ? 0 : heard.Runs()[0].length) << " s got out";
  EXPECT_EQ(host.Position(), 0.0);
  host.Site().onEvent = nullptr;
}

TEST(PlayerHeard, TheEndRewindsOrStaysAndPlaysAgainAsOften) {
  HostedPlayer host;
  host->put_AutoStart(VARIANT_FALSE);
  ASSERT_TRUE(host.OpenAndWait(TestMedia("tone.m4a")));
  double duration = 0;
  host->get_Duration(&duration);

  // AutoRewind (as it comes): back to the start.
  host->put_CurrentPosition(duration - 0.3);
  ASSERT_EQ(host->Play(), S_OK);
  ASSERT_TRUE(
      test_support::ProcessEventsUntil([&] { return !host.Site().EventsOf(DISPID_MPE_ENDOFSTREAM).empty(); }, 3000));
  EXPECT_EQ(host.PlayState(), mpStopped);
  EXPECT_EQ(host.Position(), 0.0);
  EXPECT_EQ(host.Site().EventsOf(DISPID_MPE_ENDOFSTREAM)[0].numbers, std::vector<double>{0});

  // Without it: the position stays at the end, and Play starts from the beginning again.
  host->put_AutoRewind(VARIANT_FALSE);
  host->put_CurrentPosition(duration - 0.3);
  ASSERT_EQ(host->Play(), S_OK);
  ASSERT_TRUE(
      test_support::ProcessEventsUntil([&] { return host.Site().EventsOf(DISPID_MPE_ENDOFSTREAM).size() == 2; }, 3000));
  EXPECT_NEAR(host.Position(), duration, 0.05);
  ASSERT_EQ(host->Play(), S_OK);
  ProcessEvents(100);
  EXPECT_LT(host.Position(), 0.1);
  ASSERT_EQ(host->Pause(), S_OK);

  // PlayCount 2: the second play follows the first without a stop.
  host->put_PlayCount(2);
  host->put_CurrentPosition(duration - 0.3);
  host.Site().Events().clear();
  ASSERT_EQ(host->Play(), S_OK);
  ProcessEvents(800);
  EXPECT_EQ(host.PlayState(), mpPlaying);
  EXPECT_TRUE(host.Site().EventsOf(DISPID_MPE_ENDOFSTREAM).empty());
  EXPECT_LT(host.Position(), 1.0);
  ASSERT_EQ(host->Stop(), S_OK);
}

}  // namespace
}  // namespace mediaplayer_test
