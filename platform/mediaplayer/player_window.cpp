#include "platform/mediaplayer/player_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <map>

#include "platform/mediaplayer/window_class.h"

namespace mediaplayer {
namespace {

constexpr char kPlayerClassName[] = "MediaPlayerWindow";

// The control windows by handle, for the window procedure (GUI thread only).
std::map<HWND, PlayerWindow*>& Windows() {
  static auto* windows = new std::map<HWND, PlayerWindow*>;
  return *windows;
}

void RegisterWindowClass() {
  if (!EnsureWindowClass(kPlayerClassName)) return;
  win32::SetClassWidgetFactory(kPlayerClassName, [](const CREATESTRUCTA&, QWidget* parent) {
    auto* surface = new QWidget(parent);
    QPalette palette = surface->palette();
    palette.setColor(QPalette::Window, Qt::black);
    surface->setPalette(palette);
    surface->setAutoFillBackground(true);
    return surface;
  });
}

PixelSize ScreenSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return {1024, 768};
  const QRect geometry = screen->geometry();
  return {geometry.width(), geometry.height()};
}

}  // namespace

PlayerWindow::PlayerWindow(HWND parent, const RECT& position, Actions actions) : actions_(std::move(actions)) {
  RegisterWindowClass();
  window_ = CreateWindowExA(0, kPlayerClassName, "", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, position.left,
                            position.top, position.right - position.left, position.bottom - position.top, parent,
                            nullptr, nullptr, nullptr);
  if (!window_) return;
  Windows()[window_] = this;
  SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure));
  bar_ = new ControlBar(win32::WidgetFromHandle(window_), actions_.bar);
  Layout();
  ShowWindow(window_, SW_SHOW);
}

PlayerWindow::~PlayerWindow() {
  DetachVideo();
  // The window's widget goes later (deferred); the bar and its timer must not outlive the control.
  delete bar_;
  if (!window_) return;
  Windows().erase(window_);
  DestroyWindow(window_);
}

void PlayerWindow::SetPosition(const RECT& position) {
  if (window_)
    MoveWindow(window_, position.left, position.top, position.right - position.left, position.bottom - position.top,
               TRUE);
  Layout();  // also when the size stayed: the position alone sends no WM_SIZE
}

void PlayerWindow::SetDisplay(const Display& display) {
  display_ = display;
  if (bar_) bar_->ShowTracker(display.showTracker, display.enableTracker);
  Layout();
}

void PlayerWindow::SetEnabled(bool enabled) {
  if (window_) EnableWindow(window_, enabled ? TRUE : FALSE);
}

void PlayerWindow::KeepHidden(IVideoWindow* video) {
  if (!video) return;
  video->put_AutoShow(OAFALSE);
  video->put_Visible(OAFALSE);
  video->put_Owner(0);
}

void PlayerWindow::AttachVideo(IVideoWindow* video, PixelSize nativeSize) {
  if (video_.Get() != video) DetachVideo();
  native_ = nativeSize;
  if (video && !video_ && window_) {
    video_ = ComPtr<IVideoWindow>(video);
    video_->put_AutoShow(OAFALSE);
    video_->put_Owner(reinterpret_cast<OAHWND>(window_));
    video_->put_WindowStyle(static_cast<LONG>(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    video_->put_MessageDrain(reinterpret_cast<OAHWND>(window_));
    fullScreen_ = false;
  }
  Layout();
}

void PlayerWindow::DetachVideo() {
  if (!video_) return;
  video_->put_MessageDrain(0);
  KeepHidden(video_.Get());
  video_ = nullptr;
  fullScreen_ = false;
}

void PlayerWindow::Layout() {
  if (!window_) return;
  RECT client{};
  GetClientRect(window_, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  const int barHeight = display_.showControls ? std::min(ControlBar::kHeight, height) : 0;
  if (bar_) {
    bar_->setGeometry(0, height - barHeight, width, barHeight);
    bar_->setVisible(display_.showControls);
  }
  PlaceVideo(RECT{0, 0, width, height - barHeight});
}

void PlayerWindow::PlaceVideo(const RECT& area) {
  if (!video_) return;
  const PixelSize screen = ScreenSize();
  const bool fullScreen = display_.displaySize == mpFullScreen;
  if (fullScreen != fullScreen_) {
    // Full screen takes the renderer's window out of this one onto the screen, and back.
    video_->put_Owner(fullScreen ? 0 : reinterpret_cast<OAHWND>(window_));
    video_->put_WindowStyle(static_cast<LONG>(fullScreen ? WS_POPUP : WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    fullScreen_ = fullScreen;
  }
  if (fullScreen_) {
    video_->SetWindowPosition(0, 0, screen.width, screen.height);
    video_->put_Visible(OATRUE);
    return;
  }
  const RECT rect =
      VideoRectangle(display_.displaySize, native_, {area.right - area.left, area.bottom - area.top}, screen);
  const LONG width = rect.right - rect.left;
  const LONG height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) {
    video_->put_Visible(OAFALSE);
    return;
  }
  video_->SetWindowPosition(area.left + rect.left, area.top + rect.top, width, height);
  video_->put_Visible(OATRUE);
}

LRESULT CALLBACK PlayerWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto found = Windows().find(window);
  PlayerWindow* self = found == Windows().end() ? nullptr : found->second;
  if (self) {
    switch (message) {
      case WM_SIZE: self->Layout(); break;
      case WM_LBUTTONUP:
        if (self->actions_.click) self->actions_.click();
        return 0;
      case WM_LBUTTONDBLCLK:
        if (self->actions_.doubleClick) self->actions_.doubleClick();
        return 0;
      default: break;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace mediaplayer
