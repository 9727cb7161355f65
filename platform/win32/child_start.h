// Internal: starting a child program for CreateProcessA.
//
// Every child ends with this process, however the process ends (a crash or SIGKILL included), as
// a Windows program's children do in a job that kills on close: nothing it started runs on
// unwatched. The kernel's parent-death signal follows the thread that forked, so all children
// are forked by one thread that lives as long as the process.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace win32::detail {

inline constexpr int kNullDevice = -1;
inline constexpr int kOwnStandard = -2;

struct ChildStart {
  std::string program;                   // a path, or a name looked up in PATH
  std::vector<std::string> args;         // argv, the program's own name first
  std::vector<std::string> environment;  // "NAME=value"; empty for this process's own
  bool ownEnvironment = true;
  // Descriptors for stdin, stdout and stderr: kNullDevice for none, kOwnStandard for this process's.
  int standard[3] = {kOwnStandard, kOwnStandard, kOwnStandard};
  const char* currentDirectory = nullptr;
};

// The new child's id, or -1 with errno set to why it could not be started (the program missing
// or not executable included).
pid_t StartChild(const ChildStart& request);

}  // namespace win32::detail
