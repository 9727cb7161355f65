#pragma once
// Runs a program to its end with its output discarded, and measures it.

#include <string>
#include <vector>

namespace engine_bench {

struct Measurement {
  double seconds = 0;         // wall-clock time from start to end
  double peak_mebibytes = 0;  // largest resident set size
  double cpu_seconds = 0;     // user and system time of all its threads
  int exit_code = -1;         // -1 when it did not end normally
};

Measurement run_timed(const std::vector<std::string>& arguments);

// Starts the program with its input and output on /dev/null, without waiting; its process id.
int start_quietly(const std::vector<std::string>& arguments);

}  // namespace engine_bench
