#include "app/termination_request.h"

#include <atomic>

#include "platform/win32/kernel32.h"
#include "platform/win32/user32.h"

namespace {

std::atomic<HWND> windowToClose{nullptr};

// Runs on the system's own thread: the session ends on the GUI thread, by a posted message.
BOOL WINAPI EndMainWindowSession(DWORD) {
  const HWND window = windowToClose.load();
  return window != nullptr && PostMessageA(window, WM_ENDSESSION, TRUE, 0);
}

}  // namespace

void CloseOnTerminationRequest(HWND mainWindow) {
  if (windowToClose.exchange(mainWindow) == nullptr) SetConsoleCtrlHandler(EndMainWindowSession, TRUE);
}

void StopClosingOnTerminationRequest() {
  if (windowToClose.exchange(nullptr) != nullptr) SetConsoleCtrlHandler(EndMainWindowSession, FALSE);
}
