#include "platform/mediaplayer/message_window.h"

#include "platform/mediaplayer/window_class.h"

namespace mediaplayer {
namespace {

constexpr char kMessageClassName[] = "MediaPlayerMessages";

}  // namespace

MessageWindow::MessageWindow(Handler handler) : handler_(std::move(handler)) {
  EnsureWindowClass(kMessageClassName);
  window_ = CreateWindowExA(0, kMessageClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  if (!window_) return;
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure));
}

MessageWindow::~MessageWindow() {
  if (window_) DestroyWindow(window_);  // messages still queued for it are dropped
}

LRESULT CALLBACK MessageWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self && message >= WM_USER) {
    self->handler_(message, wParam, lParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace mediaplayer
