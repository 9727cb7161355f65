// No picture is decoded while the video window cannot be seen (hidden, or placed where its owner
// clips it away, as the program keeps its player); once it can be seen again the pictures come back
// at the playing position.
#include <QWidget>
#include <memory>

#include "platform/dshow/private_interfaces.h"
#include "tests/dshow/graph_fixture.h"
#include "tests/dshow/test_media.h"
#include "tests/ui_support/qt_wait.h"

namespace dshow_test {
namespace {

class HiddenVideo : public GraphTest {
 protected:
  void SetUp() override {
    graph_ = NewGraph();
    ASSERT_EQ(S_OK, RenderFile(graph_.Get(), Clip("timed.mkv")));
    window_ = graph_.As<IVideoWindow>();
    ASSERT_EQ(S_OK, window_->put_AutoShow(OAFALSE));
    ComPtr<IBaseFilter> decoder = FindFilter(graph_.Get(), "Video Decoder");
    ASSERT_TRUE(decoder);
    statistics_ = decoder.As<IStreamStatistics>();
    quality_ = FindFilter(graph_.Get(), "Video Renderer").As<IQualProp>();
  }
  void TearDown() override {
    if (graph_) Control(graph_.Get(), &IMediaControl::Stop);
  }
  LONGLONG PacketsDecoded() {
    LONGLONG received = 0, decoded = 0, delivered = 0;
    statistics_->GetCounts(&received, &decoded, &delivered);
    return received + decoded;
  }
  int FramesDrawn() {
    int drawn = 0;
    quality_->get_FramesDrawn(&drawn);
    return drawn;
  }
  // The grey of the picture the renderer shows, -1 when it shows none.
  int ShownGrey() {
    ComPtr<IBasicVideo> video = graph_.As<IBasicVideo>();
    LONG size = 0;
    if (video->GetCurrentImage(&size, nullptr) != S_OK) return -1;
    std::vector<LONG> image((static_cast<std::size_t>(size) + 3) / 4);
    if (video->GetCurrentImage(&size, image.data()) != S_OK) return -1;
    return reinterpret_cast<const BYTE*>(image.data())[sizeof(BITMAPINFOHEADER)];
  }
  static int GreyAt(REFERENCE_TIME position) { return 16 + 8 * static_cast<int>(position * 10 / UNITS); }

  ComPtr<IGraphBuilder> graph_;
  ComPtr<IVideoWindow> window_;
  ComPtr<IStreamStatistics> statistics_;
  ComPtr<IQualProp> quality_;
};

TEST_F(HiddenVideo, AHiddenWindowStopsDecodingAndShowingItResumesAtThePlayingPosition) {
  ASSERT_TRUE(SUCCEEDED(Control(graph_.Get(), &IMediaControl::Run)));
  Pump(800);
  EXPECT_EQ(0, PacketsDecoded()) << "pictures were decoded for a hidden window";
  EXPECT_EQ(0, FramesDrawn());
  const REFERENCE_TIME shownAt = Position(graph_.Get());
  EXPECT_GT(shownAt, UNITS / 4) << "the sound did not play meanwhile";

  ASSERT_EQ(S_OK, window_->put_Visible(OATRUE));
  ASSERT_TRUE(test_support::ProcessEventsUntil([&] { return FramesDrawn() > 0; }, 2000));
  Pump(200);
  const REFERENCE_TIME now = Position(graph_.Get());
  EXPECT_NEAR(GreyAt(now), ShownGrey(), 16.5) << "the picture is not the one of the playing position";
  // Pictures from before the playing position (decoded again from the key frame) were not shown.
  LONGLONG delivered = 0;
  statistics_->GetCounts(nullptr, nullptr, &delivered);
  EXPECT_LE(delivered, now * 10 / UNITS - 2) << "the pictures from the start were shown";
}

TEST_F(HiddenVideo, AWindowPlacedOutsideItsOwnerIsNotDecodedForUntilItMovesIn) {
  auto owner = std::make_unique<QWidget>();
  owner->resize(200, 150);
  owner->show();
  WNDCLASSA ownerClass{};
  ownerClass.lpfnWndProc = DefWindowProcA;
  ownerClass.lpszClassName = "DshowTestOwner";
  RegisterClassA(&ownerClass);
  HWND ownerWindow = win32::BindWidget(owner.get(), "DshowTestOwner");
  ASSERT_TRUE(ownerWindow);
  ASSERT_EQ(S_OK, window_->put_Owner(reinterpret_cast<OAHWND>(ownerWindow)));
  ASSERT_EQ(S_OK, window_->put_WindowStyle(static_cast<LONG>(WS_CHILD | WS_CLIPSIBLINGS)));
  ASSERT_EQ(S_OK, window_->SetWindowPosition(300, 260, 98, 64));
  ASSERT_EQ(S_OK, window_->put_Visible(OATRUE));
  LONG visible = OAFALSE;
  ASSERT_EQ(S_OK, window_->get_Visible(&visible));
  EXPECT_EQ(OATRUE, visible);

  ASSERT_TRUE(SUCCEEDED(Control(graph_.Get(), &IMediaControl::Run)));
  Pump(600);
  EXPECT_EQ(0, PacketsDecoded()) << "pictures were decoded for a window its owner clips away";

  ASSERT_EQ(S_OK, window_->SetWindowPosition(0, 0, 98, 64));
  EXPECT_TRUE(test_support::ProcessEventsUntil([&] { return FramesDrawn() > 0; }, 2000));
  LONG left = -1, top = -1, width = 0, height = 0;
  ASSERT_EQ(S_OK, window_->GetWindowPosition(&left, &top, &width, &height));
  EXPECT_EQ(0, left);
  EXPECT_EQ(98, width);
  ASSERT_EQ(S_OK, Control(graph_.Get(), &IMediaControl::Stop));
  ASSERT_EQ(S_OK, window_->put_Owner(0));
}

TEST_F(HiddenVideo, ShowingThePausedWindowBringsThePictureOfThePausedPosition) {
  ASSERT_TRUE(SUCCEEDED(Control(graph_.Get(), &IMediaControl::Run)));
  Pump(700);
  ASSERT_TRUE(SUCCEEDED(Control(graph_.Get(), &IMediaControl::Pause)));
  const REFERENCE_TIME paused = Position(graph_.Get());
  EXPECT_EQ(-1, ShownGrey());

  ASSERT_EQ(S_OK, window_->put_Visible(OATRUE));
  ASSERT_TRUE(test_support::ProcessEventsUntil([&] { return ShownGrey() >= 0; }, 2000));
  EXPECT_NEAR(GreyAt(paused), ShownGrey(), 2);
  EXPECT_EQ(paused, Position(graph_.Get())) << "the repaint moved the position";
}

}  // namespace
}  // namespace dshow_test
