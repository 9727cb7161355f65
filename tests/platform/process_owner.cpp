// A program that starts children and makes short-name aliases through the stand-in, so that the
// tests can see what is left of them once it has ended. It runs its arguments as a script:
//   start COMMAND       start COMMAND (one argument) as a child; print "child <id>"
//   thread COMMAND      the same from a thread that ends as soon as the child has started
//   alias PATH          print "alias <short form of PATH>"
//   wait                never end
// and ends with exit code 0 after the last step.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "platform/win32/kernel32.h"

namespace {

void StartChild(std::string commandLine) {
  STARTUPINFOA startup{};
  GetStartupInfoA(&startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    std::printf("failed %u\n", GetLastError());
  } else {
    std::printf("child %u\n", info.dwProcessId);
  }
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    const std::string step = argv[i];
    if (step == "start" && i + 1 < argc) {
      StartChild(argv[++i]);
    } else if (step == "thread" && i + 1 < argc) {
      std::thread(StartChild, std::string(argv[++i])).join();
    } else if (step == "alias" && i + 1 < argc) {
      char alias[4096] = {};
      GetShortPathNameA(argv[++i], alias, sizeof alias);
      std::printf("alias %s\n", alias);
      std::fflush(stdout);
    } else if (step == "wait") {
      for (;;) pause();
    }
  }
  return 0;
}
