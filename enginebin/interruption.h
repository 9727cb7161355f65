#pragma once
// A termination request (Ctrl+C, SIGTERM) ends the conversion through the normal failure path:
// blocking calls give up (the handlers do not restart them), the libraries learn of it through
// their interrupt callback, and the partial output is removed. Should the process still be
// there shortly after the request (a call that neither returns nor gives up), the handler ends
// it itself, removing the partial output first. A forced kill cannot be caught; the partial
// output then stays under its temporary name, never under the final one.

extern "C" {
#include <libavformat/avio.h>
}

#include <csignal>
#include <string>

namespace enginebin {

// message: what a forced end writes to the console.
void install_interruption_handlers(const std::string& message);
bool interruption_requested();
// "The conversion of 'input' was interrupted": how a stopped run ends its report.
std::string interruption_text(const std::string& input_name);

// For the libraries' blocking operations: they give up once a termination is requested.
AVIOInterruptCB interrupt_callback();

// The file that a forced end removes; empty for none.
void set_partial_output(const std::string& path);

// Holds termination requests back while it lives, so that a step (giving the output its final
// name, say) is either done completely or not begun.
class InterruptionHold {
 public:
  InterruptionHold();
  ~InterruptionHold();
  InterruptionHold(const InterruptionHold&) = delete;
  InterruptionHold& operator=(const InterruptionHold&) = delete;

 private:
  sigset_t previous_;
};

}  // namespace enginebin
