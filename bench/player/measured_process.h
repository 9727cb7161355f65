// Runs a program to its end with its output discarded and its own environment additions, and
// measures what it cost: wall-clock time, CPU time (user and system) and peak memory.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace player_bench {

struct ProcessCost {
  double wallSeconds = 0;
  double cpuSeconds = 0;
  double peakMebibytes = 0;
  int exitCode = -1;  // -1 when it did not end normally
};

using Environment = std::vector<std::pair<std::string, std::string>>;

ProcessCost RunMeasured(const std::vector<std::string>& arguments, const Environment& environment = {});

}  // namespace player_bench
