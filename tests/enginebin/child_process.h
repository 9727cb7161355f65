#pragma once
// Runs a program with its standard output and error in one pipe, as the program's runner
// starts the engine, and collects what it writes.

#include <sys/types.h>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace enginebin_test {

struct ProcessResult {
  int exit_code = -1;  // -1 when ended by a signal
  int signal = 0;      // the signal that ended it, or 0
  std::string output;  // standard output and error as written
};

class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& arguments);
  ~ChildProcess();  // kills and reaps a child still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Reads until the text has arrived, the child closed its output, or the time is up.
  bool wait_for_output(std::string_view text, std::chrono::milliseconds timeout);
  bool running();
  void send_signal(int signal);
  // Whether the child has a handler of its own for the signal (it is past its start-up then).
  bool catches(int signal) const;
  // Reads the rest of the output and reaps the child.
  ProcessResult wait();

  const std::string& output() const { return output_; }

 private:
  // Reads what is available within the timeout; false once the pipe is closed.
  bool read_some(std::chrono::milliseconds timeout);

  pid_t pid_ = -1;
  int pipe_ = -1;
  bool reaped_ = false;
  int status_ = 0;
  std::string output_;
};

// In the sanitizer build a fault makes the engine exit with an ordinary non-zero code, which a
// test expecting failure would take for the refusal; the report in the output gives it away.
bool has_sanitizer_report(const std::string& output);

// The output's last line, without its line end.
std::string last_line(const std::string& output);

ProcessResult run_process(const std::vector<std::string>& arguments);

// The engine under test, with these arguments.
ProcessResult run_engine(const std::vector<std::string>& arguments);
std::vector<std::string> engine_command(const std::vector<std::string>& arguments);

}  // namespace enginebin_test
