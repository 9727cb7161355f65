// The control's window while it is in-place active: a child of the host's window, holding the
// video renderer's window (placed by the display size) and, with ShowControls, the control bar.
// The host may subclass it; the procedure here is reached through the host's chain. GUI thread.
#pragma once

#include <functional>

#include "platform/dshow/dshow.h"
#include "platform/mediaplayer/control_bar.h"
#include "platform/mediaplayer/display_layout.h"

namespace mediaplayer {

class PlayerWindow {
 public:
  struct Actions {
    ControlBar::Actions bar;
    std::function<void()> click;  // a left click on the video or the empty area
    std::function<void()> doubleClick;
  };
  struct Display {
    LONG displaySize = mpDefaultSize;
    bool showControls = true;
    bool showTracker = true;
    bool enableTracker = true;
  };

  PlayerWindow(HWND parent, const RECT& position, Actions actions);
  ~PlayerWindow();
  PlayerWindow(const PlayerWindow&) = delete;
  PlayerWindow& operator=(const PlayerWindow&) = delete;

  HWND Handle() const { return window_; }
  ControlBar& Bar() { return *bar_; }
  // The rectangle in the parent's client coordinates.
  void SetPosition(const RECT& position);
  void SetDisplay(const Display& display);
  void SetEnabled(bool enabled);
  // Takes the renderer's window in (null: no video) and places it; DetachVideo hands it back
  // hidden and without owner, as it must be before this window goes.
  void AttachVideo(IVideoWindow* video, PixelSize nativeSize);
  void DetachVideo();
  void Layout();

  // The video renderer's window of a graph while no control window holds it: hidden, not shown
  // by itself when the graph runs.
  static void KeepHidden(IVideoWindow* video);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void PlaceVideo(const RECT& area);

  Actions actions_;
  HWND window_ = nullptr;
  ControlBar* bar_ = nullptr;  // a child widget of the window's, deleted with it
  ComPtr<IVideoWindow> video_;
  PixelSize native_;
  Display display_;
  bool fullScreen_ = false;  // the renderer's window covers the screen, without owner
};

}  // namespace mediaplayer
