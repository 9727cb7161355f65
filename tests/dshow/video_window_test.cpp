// The video renderer's window as a player uses it: found among its owner's children by class name,
// source and destination rectangles, input passed on to a message drain, and the user closing it.
#include <QWidget>
#include <memory>
#include <vector>

#include "tests/dshow/graph_fixture.h"
#include "tests/dshow/test_media.h"
#include "tests/ui_support/qt_wait.h"

namespace dshow_test {
namespace {

std::vector<UINT> drained;

LRESULT CALLBACK DrainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYUP || message == WM_LBUTTONDOWN) drained.push_back(message);
  return DefWindowProcA(window, message, wParam, lParam);
}

BOOL CALLBACK FindRenderer(HWND window, LPARAM found) {
  char name[100] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) == "VideoRenderer") {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

class VideoWindow : public GraphTest {
 protected:
  void SetUp() override {
    WNDCLASSA ownerClass{};
    ownerClass.lpfnWndProc = DrainProc;
    ownerClass.lpszClassName = "DshowTestPlayer";
    RegisterClassA(&ownerClass);
    owner_ =
        CreateWindowExA(0, "DshowTestPlayer", "player", WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(owner_);
    graph_ = NewGraph();
    ASSERT_EQ(S_OK, RenderFile(graph_.Get(), Clip("timed.mkv")));
    window_ = graph_.As<IVideoWindow>();
    video_ = graph_.As<IBasicVideo>();
    ASSERT_EQ(S_OK, window_->put_Owner(reinterpret_cast<OAHWND>(owner_)));
    ASSERT_EQ(S_OK, window_->put_WindowStyle(static_cast<LONG>(WS_CHILD | WS_CLIPSIBLINGS)));
    EnumChildWindows(owner_, FindRenderer, reinterpret_cast<LPARAM>(&renderer_));
    ASSERT_TRUE(renderer_) << "no child window of class VideoRenderer";
    drained.clear();
  }
  void TearDown() override {
    if (window_) window_->put_Owner(0);
    graph_ = nullptr;
    window_ = nullptr;
    video_ = nullptr;
    if (owner_) DestroyWindow(owner_);
  }
  HWND owner_ = nullptr;
  HWND renderer_ = nullptr;
  ComPtr<IGraphBuilder> graph_;
  ComPtr<IVideoWindow> window_;
  ComPtr<IBasicVideo> video_;
};

TEST_F(VideoWindow, SourceAndDestinationRectanglesDefaultToTheWholePictureAndWindow) {
  LONG l = -1, t = -1, w = 0, h = 0;
  ASSERT_EQ(S_OK, video_->GetSourcePosition(&l, &t, &w, &h));
  EXPECT_EQ((std::vector<LONG>{0, 0, 98, 64}), (std::vector<LONG>{l, t, w, h}));
  EXPECT_EQ(S_OK, video_->IsUsingDefaultSource());
  EXPECT_EQ(E_INVALIDARG, video_->SetSourcePosition(0, 0, 200, 64));
  ASSERT_EQ(S_OK, video_->SetSourcePosition(10, 8, 40, 30));
  EXPECT_EQ(S_FALSE, video_->IsUsingDefaultSource());
  ASSERT_EQ(S_OK, video_->get_SourceWidth(&w));
  EXPECT_EQ(40, w);
  ASSERT_EQ(S_OK, video_->SetDefaultSourcePosition());
  EXPECT_EQ(S_OK, video_->IsUsingDefaultSource());

  ASSERT_EQ(S_OK, window_->SetWindowPosition(4, 6, 200, 100));
  ASSERT_EQ(S_OK, video_->GetDestinationPosition(&l, &t, &w, &h));
  EXPECT_EQ((std::vector<LONG>{0, 0, 200, 100}), (std::vector<LONG>{l, t, w, h}))
      << "the destination does not follow the window";
  ASSERT_EQ(S_OK, video_->SetDestinationPosition(5, 5, 50, 40));
  EXPECT_EQ(S_FALSE, video_->IsUsingDefaultDestination());
  ASSERT_EQ(S_OK, window_->SetWindowPosition(0, 0, 150, 90));
  ASSERT_EQ(S_OK, video_->GetDestinationPosition(&l, &t, &w, &h));
  EXPECT_EQ((std::vector<LONG>{5, 5, 50, 40}), (std::vector<LONG>{l, t, w, h}));
  ASSERT_EQ(S_OK, window_->GetWindowPosition(&l, &t, &w, &h));
  EXPECT_EQ((std::vector<LONG>{0, 0, 150, 90}), (std::vector<LONG>{l, t, w, h}));
  REFTIME frameTime = 0;
  ASSERT_EQ(S_OK, video_->get_AvgTimePerFrame(&frameTime));
  EXPECT_DOUBLE_EQ(0.1, frameTime);
}

TEST_F(VideoWindow, InputGoesToTheMessageDrainAndClosingTheWindowTellsTheApplication) {
  ASSERT_EQ(S_OK, window_->put_MessageDrain(reinterpret_cast<OAHWND>(owner_)));
  SendMessageA(renderer_, WM_KEYUP, VK_SPACE, 0);
  SendMessageA(renderer_, WM_LBUTTONDOWN, 0, 0);
  ASSERT_TRUE(test_support::ProcessEventsUntil([] { return drained.size() == 2; }, 1000));
  EXPECT_EQ(WM_KEYUP, drained[0]);

  const std::u16string caption = u"Preview";
  com::Bstr text(caption);
  ASSERT_EQ(S_OK, window_->put_Caption(text.Get()));
  com::Bstr read;
  ASSERT_EQ(S_OK, window_->get_Caption(read.Put()));
  EXPECT_EQ("Preview", read.Utf8());

  ASSERT_EQ(S_OK, window_->put_Visible(OATRUE));
  SendMessageA(renderer_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitForEvent(graph_.Get(), EC_USERABORT, 1000));
  LONG visible = OATRUE;
  ASSERT_EQ(S_OK, window_->get_Visible(&visible));
  EXPECT_EQ(OAFALSE, visible);
  EXPECT_TRUE(IsWindow(renderer_));
  EXPECT_EQ(E_INVALIDARG, window_->put_WindowStyle(static_cast<LONG>(WS_DISABLED)));
}

}  // namespace
}  // namespace dshow_test
