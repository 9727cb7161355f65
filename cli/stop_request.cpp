#include "cli/stop_request.h"

#include <atomic>
#include <mutex>

#include "platform/win32/kernel32.h"

namespace cli {
namespace {

std::atomic<bool> requested{false};
std::mutex actionMutex;
std::function<void()> stopAction;  // guarded by actionMutex

BOOL WINAPI OnControlEvent(DWORD) {
  requested = true;
  std::lock_guard lock(actionMutex);
  if (stopAction) stopAction();
  return TRUE;
}

}  // namespace

void CatchStopRequests() { SetConsoleCtrlHandler(OnControlEvent, TRUE); }

bool StopRequested() { return requested; }

std::atomic<bool>* StopRequestFlag() { return &requested; }

void SetStopAction(std::function<void()> action) {
  std::lock_guard lock(actionMutex);
  stopAction = std::move(action);
}

}  // namespace cli
