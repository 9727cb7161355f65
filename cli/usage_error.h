// A command line that cannot run as given: its message goes out with the usage line, exit code 2.
#pragma once

#include <stdexcept>
#include <string>

namespace cli {

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace cli
