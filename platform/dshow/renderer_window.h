// The video renderer's window: a window of the user32 table (class "VideoRenderer") whose widget
// paints, on the GUI thread, the newest picture the renderer has shown, and which tells the renderer
// whether it can be seen.
//
// RendererShared is what the renderer filter and its window share; the window may outlive the
// filter by a posted message, and either may go first.
#pragma once

#include <QImage>
#include <QRect>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/dshow/filter_interfaces.h"

namespace dshow {

inline constexpr const char* kRendererWindowClass = "VideoRenderer";
// Posted to the window by the streaming thread: a new picture is there.
inline constexpr UINT kRendererNewPicture = WM_USER + 0x1F0;

class RendererShared {
 public:
  // The filter's side, for events of the window (a repaint request, the window closed or gone).
  using EventSink = std::function<void(LONG code)>;

  // Copies one bottom-up (positive height) or top-down DIB row by row into the picture pool.
  void Publish(const BYTE* bits, int width, int height, int stride, bool bottomUp, bool rgb32);
  // The picture to paint, with the source rectangle (in picture pixels) and destination (client
  // pixels) to paint it with; the picture is null before the first. Publish leaves it alone until
  // EndPaint.
  void BeginPaint(QImage& picture, QRect& source, QRect& destination);
  void EndPaint();
  // A copy of the picture shown now (null before the first).
  QImage CurrentPicture() const;
  void ClearPicture();

  void SetVideoSize(int width, int height);
  void ClientResized(int width, int height);
  QSize ClientSize() const;

  // Source and destination rectangles; an empty rectangle means the default (whole picture,
  // whole client area).
  QRect Source() const;
  QRect Destination() const;
  void SetSource(const QRect& source);
  void SetDestination(const QRect& destination);
  bool DefaultSource() const;
  bool DefaultDestination() const;

  HWND Window() const { return window_.load(); }
  void SetWindow(HWND window) { window_.store(window); }
  HWND Drain() const { return drain_.load(); }
  void SetDrain(HWND drain) { drain_.store(drain); }
  bool Visible() const { return visible_.load(); }
  // Called on the GUI thread when the window's visibility was worked out anew.
  void UpdateVisibility(bool visible);
  // Posts kRendererNewPicture unless one is already on its way (cleared when painted).
  void RequestPaint();
  void PaintDone() { paintRequested_.store(false); }

  // The filter goes: no more events, no window for it.
  void Abandon();
  bool Abandoned() const { return abandoned_.load(); }
  void SetEventSink(EventSink sink);
  void Notify(LONG code);

  // Makes the window if it does not exist (GUI thread only); its widget keeps this object.
  static HWND EnsureWindow(const std::shared_ptr<RendererShared>& shared);

 private:
  mutable std::mutex lock_;
  // Guarded by lock_:
  QImage pool_[3];  // written only while neither current nor being painted
  int current_ = -1;
  int painting_ = -1;
  int videoWidth_ = 0;
  int videoHeight_ = 0;
  QSize client_;
  QRect source_;
  QRect destination_;
  EventSink sink_;

  std::atomic<HWND> window_{nullptr};
  std::atomic<HWND> drain_{nullptr};
  std::atomic<bool> visible_{false};
  std::atomic<bool> paintRequested_{false};
  std::atomic<bool> abandoned_{false};
};

// Registers the window class and its widget factory (idempotent).
void RegisterRendererWindowClass();
// Whether the calling thread is the GUI thread (true when there is no application).
bool OnGuiThread();
// Runs the function on the GUI thread and waits for it, as SendMessage does across threads.
void RunOnGuiThread(const std::function<void()>& function);
// Runs it on the GUI thread later, in the order of other posted messages.
void PostToGuiThread(std::function<void()> function);

}  // namespace dshow
