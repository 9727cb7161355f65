#include "timed_process.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <stdexcept>

namespace engine_bench {

int start_quietly(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    const int null_device = ::open("/dev/null", O_RDWR);
    ::dup2(null_device, 0);
    ::dup2(null_device, 1);
    ::dup2(null_device, 2);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  return child;
}

Measurement run_timed(const std::vector<std::string>& arguments) {
  const auto started = std::chrono::steady_clock::now();
  const pid_t child = start_quietly(arguments);
  int status = 0;
  rusage usage{};
  // wait4 gives this child's own peak memory, not that of every child so far.
  ::wait4(child, &status, 0, &usage);
  const auto ended = std::chrono::steady_clock::now();

  Measurement measurement;
  measurement.seconds = std::chrono::duration<double>(ended - started).count();
  measurement.peak_mebibytes = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss: KiB
  const auto seconds = [](const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; };
  measurement.cpu_seconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  if (WIFEXITED(status)) measurement.exit_code = WEXITSTATUS(status);
  return measurement;
}

}  // namespace engine_bench
