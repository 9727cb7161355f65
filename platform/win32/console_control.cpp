// SetConsoleCtrlHandler: termination signals delivered as console control events.
//
// The signal handler only writes the signal's number into a pipe; a thread of its own reads it
// and calls the registered handlers there, where they may do what any code may.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/win32/kernel32.h"

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM};
constexpr unsigned char kStop = 0;

int wakeUp = -1;  // write end of the pipe, for the signal handler

void OnSignal(int signal) {
  const int savedErrno = errno;
  const auto byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = write(wakeUp, &byte, 1);
  errno = savedErrno;
}

class ControlEvents {
 public:
  static ControlEvents& Instance() {
    static ControlEvents events;
    return events;
  }

  void Add(PHANDLER_ROUTINE handler) {
    std::lock_guard lock(mutex_);
    handlers_.push_back(handler);
  }
  bool Remove(PHANDLER_ROUTINE handler) {
    std::lock_guard lock(mutex_);
    const auto found = std::find(handlers_.rbegin(), handlers_.rend(), handler);
    if (found == handlers_.rend()) return false;
    handlers_.erase(std::next(found).base());
    return true;
  }
  void IgnoreCtrlC(bool ignore) {
    std::lock_guard lock(mutex_);
    ignoreCtrlC_ = ignore;
  }

 private:
  ControlEvents() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return;
    readEnd_ = ends[0];
    wakeUp = ends[1];
    thread_ = std::thread([this] { Listen(); });
    for (const int signal : kSignals) {
      struct sigaction action {};
      action.sa_handler = OnSignal;
      action.sa_flags = SA_RESTART;
      sigaction(signal, &action, nullptr);
    }
  }
  ~ControlEvents() {
    if (!thread_.joinable()) return;
    for (const int signal : kSignals) std::signal(signal, SIG_DFL);
    [[maybe_unused]] const ssize_t written = write(wakeUp, &kStop, 1);
    thread_.join();
    close(wakeUp);
    wakeUp = -1;
    close(readEnd_);
  }

  void Listen() {
    for (;;) {
      unsigned char byte = kStop;
      const ssize_t n = read(readEnd_, &byte, 1);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0 || byte == kStop) return;
      Dispatch(byte);
    }
  }

  void Dispatch(int signal) {
    const DWORD event = signal == SIGINT ? CTRL_C_EVENT : CTRL_BREAK_EVENT;
    std::vector<PHANDLER_ROUTINE> handlers;
    bool ignored = false;
    {
      std::lock_guard lock(mutex_);
      handlers = handlers_;
      ignored = event == CTRL_C_EVENT && ignoreCtrlC_;
    }
    if (ignored) return;
    for (auto handler = handlers.rbegin(); handler != handlers.rend(); ++handler) {
      if ((*handler)(event)) return;
    }
    // Unhandled: the process ends as it would have without handlers.
    std::signal(signal, SIG_DFL);
    kill(getpid(), signal);
  }

  std::mutex mutex_;
  std::vector<PHANDLER_ROUTINE> handlers_;
  bool ignoreCtrlC_ = false;
  int readEnd_ = -1;
  std::thread thread_;
};

}  // namespace

BOOL WINAPI SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add) {
  ControlEvents& events = ControlEvents::Instance();
  if (handler == nullptr) {
    events.IgnoreCtrlC(add != FALSE);
    return TRUE;
  }
  if (add) {
    events.Add(handler);
    return TRUE;
  }
  if (!events.Remove(handler)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}
