// A hidden window that only receives messages: the target that the graph and the opener post to,
// so that whatever they report is handled on the GUI thread, whether or not the control has a
// window of its own.
#pragma once

#include <functional>

#include "platform/win32/user32.h"

namespace mediaplayer {

class MessageWindow {
 public:
  using Handler = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;
  explicit MessageWindow(Handler handler);
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  HWND Handle() const { return window_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  Handler handler_;
  HWND window_ = nullptr;
};

}  // namespace mediaplayer
