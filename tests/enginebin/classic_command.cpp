#include "classic_command.h"

#include <algorithm>
#include <stdexcept>

namespace enginebin_test {

std::vector<std::string> conversion_command(const std::string& source, const std::string& ext, int channels, int rate,
                                            int kbps, const std::string& begin, const std::string& length,
                                            const std::string& output) {
  return {"-y",      "-i",
          source,    "-bitexact",
          "-acodec", ext,
          "-ac",     std::to_string(channels),
          "-ar",     std::to_string(rate),
          "-vol",    "256",
          "-ab",     std::to_string(kbps),
          "-f",      ext,
          "-ss",     begin,
          "-t",      length,
          output};
}

std::vector<std::string> with_workers(std::vector<std::string> command, int workers) {
  command.insert(command.end() - 1, {"-threads", std::to_string(workers)});
  return command;
}

void set_option(std::vector<std::string>& command, const std::string& option, const std::string& value) {
  const auto found = std::find(command.begin(), command.end(), option);
  if (found == command.end() || found + 1 == command.end()) throw std::invalid_argument("no option " + option);
  *(found + 1) = value;
}

}  // namespace enginebin_test
