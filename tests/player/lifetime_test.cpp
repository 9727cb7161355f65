// Destruction: a player that never finishes loading does not keep the control (and with it the
// program) from going, and every part and reference goes with the control.
#include <QElapsedTimer>

#include "tests/mediaplayer/player_media.h"
#include "tests/player/movie_fixture.h"
#include "tests/player/stuck_player.h"

namespace player_test {
namespace {

using test_support::ProcessEvents;

TEST_F(MovieTest, APlayerStuckLoadingDelaysDestructionOnlyBriefly) {
  StuckPlayerInPlace stuck;
  TActiveMovie* held = form->CreateComponent<TActiveMovie>();
  ASSERT_EQ(StuckPlayerInPlace::Living(), 1);
  QElapsedTimer clock;
  clock.start();
  TComponentDeleter()(held);
  EXPECT_LT(clock.elapsed(), 4000);
  EXPECT_GE(clock.elapsed(), 1000) << "it was given a moment to finish";
  EXPECT_EQ(StuckPlayerInPlace::Living(), 0) << "and let go";
}

TEST_F(MovieTest, DestructionWhilePlayingStopsTheTickAndLetsGoOfThePlayersWindows) {
  int ticksAfter = 0;
  bool gone = false;
  movie->OnPositionChange = [&](TObject*, double, double, Cardinal, Cardinal) {
    if (gone) ++ticksAfter;
  };
  ASSERT_TRUE(OpenAndWait(mediaplayer_test::TestMedia("tone.mp4")));
  movie->Play();
  ProcessEvents(200);
  const HWND renderer = movie->RendererWindow();
  const HWND playerWindow = movie->Movie()->Handle();
  TComponentDeleter()(movie);
  movie = nullptr;
  gone = true;
  ProcessEvents(200);
  EXPECT_EQ(ticksAfter, 0);
  EXPECT_FALSE(renderer && IsWindow(renderer) && IsWindow(playerWindow) && GetParent(renderer) == playerWindow &&
               IsWindowVisible(renderer))
      << "nothing of the video stays on the form";
}

}  // namespace
}  // namespace player_test
