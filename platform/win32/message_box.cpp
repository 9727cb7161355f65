// MessageBoxA through a replaceable handler (the framework routes it to its dialog service).
#include <cstdio>
#include <mutex>

#include "platform/win32/user32.h"

namespace {
std::mutex handlerMutex;
win32::MessageBoxHandler& Handler() {
  static win32::MessageBoxHandler handler;
  return handler;
}
}  // namespace

win32::MessageBoxHandler win32::SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard lock(handlerMutex);
  MessageBoxHandler previous = std::move(Handler());
  Handler() = std::move(handler);
  return previous;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  win32::MessageBoxHandler handler;
  {
    std::lock_guard lock(handlerMutex);
    handler = Handler();
  }
  if (handler) return handler(owner, text ? text : "", caption ? caption : "Error", type);
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "Error", text ? text : "");
  return IDOK;
}
