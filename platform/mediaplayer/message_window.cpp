#include "platform/mediaplayer/message_window.h"

namespace mediaplayer {
namespace {

constexpr char kClassName[] = "MediaPlayerMessages";

void RegisterWindowClass() {
  WNDCLASSA windowClass{};
  if (GetClassInfoA(nullptr, kClassName, &windowClass)) return;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);
}

}  // namespace

MessageWindow::MessageWindow(Handler handler) : handler_(std::move(handler)) {
  RegisterWindowClass();
  window_ = CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
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
