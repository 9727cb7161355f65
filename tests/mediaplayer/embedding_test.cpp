// The control in its container: in-place activation and its window, extents, and the display
// sizes' geometry.
#include <gtest/gtest.h>

#include <QWidget>

#include "platform/mediaplayer/display_layout.h"
#include "tests/mediaplayer/hosted_player.h"
#include "tests/ui_support/qt_wait.h"

bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::ostream& operator<<(std::ostream& out, const RECT& r) {
  return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

namespace mediaplayer_test {
namespace {

using mediaplayer::PixelSize;
using mediaplayer::VideoRectangle;

RECT Bounds(HWND window) {
  const QWidget* widget = win32::WidgetFromHandle(window);
  if (!widget) return {};
  const QRect r = widget->geometry();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

TEST(PlayerEmbedding, InPlaceActivationMakesAChildWindowOfTheContainers) {
  HostedPlayer host(false);
  EXPECT_EQ(host.ControlWindow(), nullptr);
  DWORD status = 0;
  EXPECT_EQ(host.Object()->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_TRUE(status & OLEMISC_SETCLIENTSITEFIRST);
  EXPECT_FALSE(status & OLEMISC_INVISIBLEATRUNTIME);

  host.Activate();
  EXPECT_EQ(host.Site().inPlaceActivations, 1);
  EXPECT_EQ(host.Site().shownObjects, 1);
  EXPECT_EQ(host.Site().uiActivations, 0);
  const HWND window = host.ControlWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetParent(window), host.Site().Window());
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(Bounds(window), (RECT{10, 10, 330, 278}));
  char className[100] = {};
  GetClassNameA(window, className, sizeof className);
  EXPECT_EQ(std::string(className).find("enderer"), std::string::npos)
      << "only the video renderer's window may be found as it";

  ComPtr<IOleInPlaceObject> inPlace = host.As<IOleInPlaceObject>();
  const RECT moved{20, 30, 220, 180};
  EXPECT_EQ(inPlace->SetObjectRects(&moved, &moved), S_OK);
  EXPECT_EQ(Bounds(window), moved);

  // A second activation keeps the window; UI activation tells the site.
  EXPECT_EQ(host.Object()->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &host.Site(), 0, host.Site().Window(), &moved), S_OK);
  EXPECT_EQ(host.ControlWindow(), window);
  EXPECT_EQ(host.Site().uiActivations, 1);

  EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK);
  EXPECT_EQ(host.Site().inPlaceDeactivations, 1);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(host.ControlWindow(), nullptr);
  host.Activate();  // and back, as a host that re-creates its window does
  EXPECT_NE(host.ControlWindow(), nullptr);
}

TEST(PlayerEmbedding, AHostMaySubclassTheWindowAndChainToIt) {
  HostedPlayer host;
  const HWND window = host.ControlWindow();
  ASSERT_NE(window, nullptr);
  static WNDPROC previous = nullptr;
  static int seen = 0;
  seen = 0;
  previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  SetWindowLongPtrA(window, GWLP_WNDPROC,
                    reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                      if (m == WM_SIZE) ++seen;
                      return CallWindowProcA(previous, w, m, wp, lp);
                    }));
  win32::WidgetFromHandle(window)->resize(300, 200);
  EXPECT_GT(seen, 0);
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
}

TEST(PlayerEmbedding, KeepsTheExtentItIsGiven) {
  HostedPlayer host(false);
  SIZEL extent{};
  EXPECT_EQ(host.Object()->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
  EXPECT_GT(extent.cx, 0);
  SIZEL wanted{8467, 6350};
  EXPECT_EQ(host.Object()->SetExtent(DVASPECT_CONTENT, &wanted), S_OK);
  EXPECT_EQ(host.Object()->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
  EXPECT_EQ(extent.cx, 8467);
  EXPECT_EQ(extent.cy, 6350);
  EXPECT_EQ(host.Object()->SetExtent(DVASPECT_ICON, &wanted), DV_E_DVASPECT);
}

TEST(DisplayLayout, PlacesTheVideoForEachDisplaySize) {
  const PixelSize video{320, 240};
  const PixelSize area{800, 500};
  const PixelSize screen{1600, 1200};
  EXPECT_EQ(VideoRectangle(mpDefaultSize, video, area, screen), (RECT{240, 130, 560, 370}));
  EXPECT_EQ(VideoRectangle(mpHalfSize, video, area, screen), (RECT{320, 190, 480, 310}));
  EXPECT_EQ(VideoRectangle(mpDoubleSize, video, area, screen), (RECT{80, 10, 720, 490}));
  EXPECT_EQ(VideoRectangle(mpDoubleSize, video, {600, 400}, screen), (RECT{33, 0, 566, 400})) << "too big: fitted";
  EXPECT_EQ(VideoRectangle(mpFitToSize, video, area, screen), (RECT{66, 0, 733, 500}));
  EXPECT_EQ(VideoRectangle(mpOneSixteenthScreen, video, area, screen), (RECT{200, 100, 600, 400}));
  EXPECT_EQ(VideoRectangle(mpFitToSize, {0, 0}, area, screen), (RECT{0, 0, 0, 0})) << "audio only";
  EXPECT_EQ(VideoRectangle(mpDefaultSize, video, {0, 0}, screen), (RECT{0, 0, 0, 0}));
}

}  // namespace
}  // namespace mediaplayer_test
