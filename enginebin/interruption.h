#pragma once
// A polite stop (Ctrl+C, SIGTERM) ends the conversion through the normal failure path, so the
// partial output is removed. A forced kill cannot be caught; then at most the output path holds
// a partial file.

namespace enginebin {

void install_interruption_handlers();
bool interruption_requested();

}  // namespace enginebin
