#include "measured_process.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace player_bench {

ProcessCost RunMeasured(const std::vector<std::string>& arguments, const Environment& environment) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  const auto started = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    const int nothing = open("/dev/null", O_RDWR);
    dup2(nothing, 0);
    dup2(nothing, 1);
    dup2(nothing, 2);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);  // this child's own figures
  ProcessCost cost;
  cost.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  cost.cpuSeconds =
      usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
  cost.peakMebibytes = usage.ru_maxrss / 1024.0;  // KiB
  if (WIFEXITED(status)) cost.exitCode = WEXITSTATUS(status);
  return cost;
}

}  // namespace player_bench
