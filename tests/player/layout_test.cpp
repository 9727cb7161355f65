// Where the video lies for each display size, on an open 320 x 240 video: centred, halved,
// doubled or fitted, and zoomed with scroll bars and their corner box.
#include "tests/mediaplayer/player_media.h"
#include "tests/player/movie_fixture.h"

namespace player_test {
namespace {

using test_support::ProcessEvents;

QRect Bounds(const TControl& control) {
  return QRect(control.Left(), control.Top(), control.Width(), control.Height());
}

class MovieLayout : public MovieTest {
 protected:
  void SetUp() override {
    MovieTest::SetUp();
    movie->SetShowControls(false);
    ASSERT_TRUE(OpenAndWait(mediaplayer_test::TestMedia("video.mp4")));
    LONG width = 0;
    Player().get_ImageSourceWidth(&width);
    ASSERT_EQ(width, 320);
  }
  // Resizes the control; its window's size message runs the layout pass.
  QRect VideoAt(int width, int height) {
    movie->SetBounds(0, 0, width, height);
    ProcessEvents(20);
    EXPECT_EQ(Bounds(*movie->Movie()), QRect(0, 0, movie->VideoPanel()->Width(), movie->VideoPanel()->Height()))
        << "the player's window fills the video panel";
    return Bounds(*movie->VideoPanel());
  }
};

TEST_F(MovieLayout, TheDisplaySizesCentreHalveDoubleAndFitTheVideo) {
  EXPECT_EQ(VideoAt(400, 300), QRect(40, 30, 320, 240)) << "default size, centred";
  movie->SetDisplaySize(TDisplaySize::mpHalfSize);
  EXPECT_EQ(VideoAt(400, 300), QRect(120, 90, 160, 120));
  movie->SetDisplaySize(TDisplaySize::mpDoubleSize);
  EXPECT_EQ(VideoAt(700, 500), QRect(30, 10, 640, 480));
  EXPECT_EQ(VideoAt(160, 120), QRect(0, 0, 160, 120)) << "twice the control's size: fitted";
  movie->SetDisplaySize(TDisplaySize::mpDefaultSize);
  EXPECT_EQ(VideoAt(300, 300), QRect(0, 38, 300, 225)) << "too wide: fitted";
  movie->SetDisplaySize(TDisplaySize::mpFitToSize);
  // 200 / 0.75 = 266.67 wide, centred at 66.5, which goes to the even neighbour.
  EXPECT_EQ(VideoAt(400, 200), QRect(66, 0, 267, 200));
  EXPECT_EQ(VideoAt(200, 400), QRect(0, 125, 200, 150));
  EXPECT_FALSE(movie->HorzBar()->Visible());

  // With its controls the player sizes the video itself: the panel fills the control.
  movie->SetDisplaySize(TDisplaySize::mpHalfSize);
  movie->SetShowControls(true);
  EXPECT_EQ(VideoAt(400, 300), QRect(0, 0, 400, 300));
}

TEST_F(MovieLayout, AZoomedVideoThatDoesNotFitGetsScrollBarsOverIt) {
  movie->SetDisplaySize(TDisplaySize::mpCustomSize);
  TScrollBar& horz = *movie->HorzBar();
  TScrollBar& vert = *movie->VertBar();

  // Wider only: the horizontal bar across the whole width, at the middle.
  EXPECT_EQ(VideoAt(200, 300), QRect(-60, 30, 320, 240));
  EXPECT_TRUE(horz.Visible());
  EXPECT_FALSE(vert.Visible());
  EXPECT_FALSE(movie->CornerBox()->Visible());
  EXPECT_EQ(Bounds(horz), QRect(0, 284, 200, 16));
  EXPECT_EQ(horz.Max(), 320);
  EXPECT_EQ(horz.Position(), 160);
  EXPECT_EQ(horz.SmallChange(), 6);
  EXPECT_EQ(horz.LargeChange(), 32);

  // Both: the bars leave the corner to the box, and each range counts the other bar in.
  EXPECT_EQ(VideoAt(200, 200), QRect(-63, -21, 320, 240));
  EXPECT_TRUE(vert.Visible());
  EXPECT_EQ(Bounds(*movie->CornerBox()), QRect(184, 184, 16, 16));
  EXPECT_TRUE(movie->CornerBox()->Visible());
  EXPECT_EQ(Bounds(horz), QRect(0, 184, 184, 16));
  EXPECT_EQ(Bounds(vert), QRect(184, 0, 16, 184));
  EXPECT_EQ(horz.Max(), 336);
  EXPECT_EQ(vert.Max(), 256);

  // Scrolling moves the video.
  horz.SetPosition(0);
  ProcessEvents(20);
  EXPECT_EQ(movie->VideoPanel()->Left(), 0);
  vert.SetPosition(256);
  ProcessEvents(20);
  EXPECT_EQ(movie->VideoPanel()->Top(), -43) << "the bottom of the range shows the bottom of the video";

  // Zoomed to fit: no bars.
  movie->SetZoomSize(50);
  EXPECT_EQ(VideoAt(200, 200), QRect(20, 40, 160, 120));
  EXPECT_FALSE(horz.Visible());
  EXPECT_FALSE(vert.Visible());

  // Without bars the scrolled place is kept.
  movie->SetZoomSize(100);
  movie->SetShowScrollBars(false);
  EXPECT_EQ(VideoAt(200, 300), QRect(0, 30, 320, 240));
  EXPECT_FALSE(horz.Visible());
}

}  // namespace
}  // namespace player_test
