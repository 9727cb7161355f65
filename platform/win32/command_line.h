// Splitting a command line into arguments by the Windows rules.
#pragma once

#include <string>
#include <vector>

namespace win32 {
// The first token (the program) ends at the first blank or tab outside double quotes, and its
// backslashes are literal. Later tokens follow the C runtime rules: 2n backslashes before a quote
// give n backslashes and the quote opens or closes quoting, 2n+1 give n backslashes and a literal
// quote, other backslashes are literal, and "" inside quotes is a literal quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Characters that pass the split unchanged when a path stands unquoted: printable ASCII but the
// blank and the double quote.
inline bool IsCommandLineSafe(unsigned char c) { return c > ' ' && c < 0x7F && c != '"'; }
inline bool IsCommandLineSafe(const std::string& text) {
  for (unsigned char c : text) {
    if (!IsCommandLineSafe(c)) return false;
  }
  return true;
}
}  // namespace win32
