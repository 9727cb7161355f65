#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <stdexcept>
#include <string>

extern char** environ;

namespace enginebin_test {

ChildProcess::ChildProcess(const std::vector<std::string>& arguments) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
  posix_spawn_file_actions_adddup2(&actions, ends[1], 2);
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const int spawned = ::posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(ends[1]);
  pipe_ = ends[0];
  if (spawned != 0) {
    ::close(pipe_);
    throw std::runtime_error("could not start " + arguments.front());
  }
}

ChildProcess::~ChildProcess() {
  if (!reaped_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status_, 0);
  }
  if (pipe_ >= 0) ::close(pipe_);
}

bool ChildProcess::read_some(std::chrono::milliseconds timeout) {
  if (pipe_ < 0) return false;
  pollfd request{pipe_, POLLIN, 0};
  const int ready = ::poll(&request, 1, static_cast<int>(timeout.count()));
  if (ready <= 0) return true;
  char buffer[4096];
  const ssize_t count = ::read(pipe_, buffer, sizeof buffer);
  if (count > 0) {
    output_.append(buffer, static_cast<std::size_t>(count));
    return true;
  }
  if (count < 0 && errno == EINTR) return true;
  ::close(pipe_);
  pipe_ = -1;
  return false;
}

bool ChildProcess::wait_for_output(std::string_view text, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (output_.find(text) == std::string::npos) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !read_some(left)) break;
  }
  return output_.find(text) != std::string::npos;
}

bool ChildProcess::running() {
  if (reaped_) return false;
  if (::waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
  return !reaped_;
}

void ChildProcess::send_signal(int signal) {
  if (!reaped_) ::kill(pid_, signal);
}

bool ChildProcess::catches(int signal) const {
  std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
  }
  return false;
}

ProcessResult ChildProcess::wait() {
  while (read_some(std::chrono::milliseconds(1000))) {
  }
  if (!reaped_) {
    ::waitpid(pid_, &status_, 0);
    reaped_ = true;
  }
  ProcessResult result;
  result.output = output_;
  if (WIFEXITED(status_)) result.exit_code = WEXITSTATUS(status_);
  if (WIFSIGNALED(status_)) result.signal = WTERMSIG(status_);
  return result;
}

std::string last_line(const std::string& output) {
  const auto end = output.find_last_not_of('\n');
  if (end == std::string::npos) return "";
  const auto begin = output.find_last_of('\n', end);
  return output.substr(begin == std::string::npos ? 0 : begin + 1, end + 1 - (begin + 1));
}

ProcessResult run_process(const std::vector<std::string>& arguments) {
  ChildProcess child(arguments);
  return child.wait();
}

bool has_sanitizer_report(const std::string& output) {
  return output.find("Sanitizer") != std::string::npos || output.find("runtime error:") != std::string::npos;
}

std::vector<std::string> engine_command(const std::vector<std::string>& arguments) {
  std::vector<std::string> command{SONVARRA_ENGINE_FILE};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

ProcessResult run_engine(const std::vector<std::string>& arguments) { return run_process(engine_command(arguments)); }

}  // namespace enginebin_test
