#include "interruption.h"

#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>

namespace enginebin {
namespace {

// How long the normal failure path may take after a request before the handler ends the process.
constexpr long kGraceNanoseconds = 500'000'000;

constexpr int kTerminationSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Set by the handlers, read by every thread of the conversion; lock-free, so safe in a handler.
std::atomic<bool> g_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);
// Read by the handlers; written only while termination requests are held back.
char g_partial_output[PATH_MAX] = {};
volatile std::sig_atomic_t g_have_partial_output = 0;
char g_message[1024] = {};
std::size_t g_message_length = 0;
timer_t g_grace_timer{};
bool g_have_grace_timer = false;

// Async-signal-safe only.
[[noreturn]] void end_now() {
  if (g_have_partial_output) unlink(g_partial_output);
  [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, g_message, g_message_length);
  _exit(1);
}

void on_termination(int) {
  const int saved_errno = errno;
  if (g_requested.exchange(true)) end_now();  // asked twice: no more waiting
  if (g_have_grace_timer) {
    itimerspec grace{};
    grace.it_value.tv_nsec = kGraceNanoseconds;
    timer_settime(g_grace_timer, 0, &grace, nullptr);
  } else {
    alarm(1);
  }
  errno = saved_errno;
}

void on_grace_over(int) { end_now(); }

sigset_t held_signals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kTerminationSignals) sigaddset(&set, signal);
  sigaddset(&set, SIGALRM);
  return set;
}

void install(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_mask = held_signals();
  action.sa_flags = 0;  // no SA_RESTART: a blocked read or open returns with EINTR
  sigaction(signal, &action, nullptr);
}

}  // namespace

void install_interruption_handlers(const std::string& message) {
  g_message_length = std::min(message.size(), sizeof g_message);
  std::memcpy(g_message, message.data(), g_message_length);

  sigevent event{};
  event.sigev_notify = SIGEV_SIGNAL;
  event.sigev_signo = SIGALRM;
  g_have_grace_timer = timer_create(CLOCK_MONOTONIC, &event, &g_grace_timer) == 0;
  install(SIGALRM, on_grace_over);
  for (const int signal : kTerminationSignals) install(signal, on_termination);
  // A reader that went away must not kill the engine with a half-written output.
  std::signal(SIGPIPE, SIG_IGN);
}

bool interruption_requested() { return g_requested.load(); }

std::string interruption_text(const std::string& input_name) {
  return "The conversion of '" + input_name + "' was interrupted";
}

AVIOInterruptCB interrupt_callback() {
  return AVIOInterruptCB{[](void*) { return interruption_requested() ? 1 : 0; }, nullptr};
}

void set_partial_output(const std::string& path) {
  const InterruptionHold hold;
  g_have_partial_output = 0;
  if (!path.empty() && path.size() < sizeof g_partial_output) {
    std::memcpy(g_partial_output, path.c_str(), path.size() + 1);
    g_have_partial_output = 1;
  }
}

InterruptionHold::InterruptionHold() {
  const sigset_t set = held_signals();
  sigprocmask(SIG_BLOCK, &set, &previous_);
}

InterruptionHold::~InterruptionHold() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }

}  // namespace enginebin
