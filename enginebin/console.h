#pragma once
// Everything the engine says goes to standard error, the stream its runner reads through a pipe.
// Each text is flushed at once: the runner waits for the report lines and must not see them late.

#include <string>
#include <string_view>

namespace enginebin {

void write_console(std::string_view text);

// printf-style formatting into a string (the report formats are printf formats).
[[gnu::format(printf, 1, 2)]] std::string format_text(const char* format, ...);

}  // namespace enginebin
