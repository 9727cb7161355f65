#include "interruption.h"

#include <csignal>

namespace enginebin {
namespace {

volatile std::sig_atomic_t g_interruption_requested = 0;

void request_interruption(int) { g_interruption_requested = 1; }

}  // namespace

void install_interruption_handlers() {
  std::signal(SIGINT, request_interruption);
  std::signal(SIGTERM, request_interruption);
#ifdef SIGPIPE
  // A reader that went away must not kill the engine with a half-written output.
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

bool interruption_requested() { return g_interruption_requested != 0; }

}  // namespace enginebin
