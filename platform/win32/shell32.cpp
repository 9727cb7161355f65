#include "platform/win32/shell32.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <string>
#include <thread>

#include "platform/win32/ascii.h"

extern char** environ;

namespace {

using win32::detail::SameNameIgnoringCase;

HINSTANCE Result(UINT_PTR code) { return reinterpret_cast<HINSTANCE>(code); }

// Starts the desktop's opener for a document or address, detached: it is never waited for by the
// caller, and a helper thread collects it so it leaves no zombie.
bool OpenWithDesktop(const std::string& target) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::string program = "xdg-open";
  std::string argument = target;
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t pid = -1;
  const int error = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return false;
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
  return true;
}

}  // namespace

HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR, INT) {
  if (file == nullptr || *file == '\0') return Result(SE_ERR_FNF);
  if (operation != nullptr && !SameNameIgnoringCase(operation, "open")) return Result(SE_ERR_NOASSOC);
  // The system browser takes the address as its parameter; any other file is opened by type.
  const bool browser = SameNameIgnoringCase(file, "iexplore") || SameNameIgnoringCase(file, "iexplore.exe");
  const std::string target = browser ? (parameters ? parameters : "") : file;
  if (target.empty()) return Result(SE_ERR_FNF);
  return OpenWithDesktop(target) ? Result(42) : Result(SE_ERR_FNF);
}
