#pragma once
// The engine's conversion command line as the program builds it.

#include <string>
#include <vector>

namespace enginebin_test {

// The program's two blanks after 256 are lost in the split into arguments.
std::vector<std::string> conversion_command(const std::string& source, const std::string& ext, int channels, int rate,
                                            int kbps, const std::string& begin, const std::string& length,
                                            const std::string& output);

// The same with the engine's own worker count (-threads) in front of the output.
std::vector<std::string> with_workers(std::vector<std::string> command, int workers);

// Replaces the value of an option that the command has.
void set_option(std::vector<std::string>& command, const std::string& option, const std::string& value);

}  // namespace enginebin_test
