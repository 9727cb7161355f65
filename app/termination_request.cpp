#include "app/termination_request.h"

#include <atomic>

#include "platform/win32/kernel32.h"
#include "platform/win32/user32.h"

namespace {

std::atomic<HWND> windowToClose{nullptr};

// Runs on the system's own thread: the window is closed on the GUI thread, by a posted message.
BOOL WINAPI CloseMainWindow(DWORD) {
  const HWND window = windowToClose.load();
  return window != nullptr && PostMessageA(window, WM_CLOSE, 0, 0);
}

}  // namespace

void CloseOnTerminationRequest(HWND mainWindow) {
  if (windowToClose.exchange(mainWindow) == nullptr) SetConsoleCtrlHandler(CloseMainWindow, TRUE);
}

void StopClosingOnTerminationRequest() {
  if (windowToClose.exchange(nullptr) != nullptr) SetConsoleCtrlHandler(CloseMainWindow, FALSE);
}
