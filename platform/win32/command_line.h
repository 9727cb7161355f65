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
}  // namespace win32
