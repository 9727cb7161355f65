// Processes and anonymous pipes.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/child_start.h"
#include "platform/win32/command_line.h"
#include "platform/win32/handle_table.h"
#include "platform/win32/kernel32.h"
#include "platform/win32/shell32.h"

using namespace win32::detail;

namespace {

// Windows has no SIGPIPE: a write to a pipe without a reader fails with an error instead.
void IgnoreBrokenPipeSignal() {
  static std::once_flag once;
  std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
}

bool IsExistingFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Windows appends ".exe" to a program named without an extension.
std::string ResolveProgram(const std::string& program) {
  if (program.find('/') == std::string::npos) return program;  // looked up in PATH by the spawn
  if (IsExistingFile(program)) return program;
  const std::size_t slash = program.rfind('/');
  if (program.find('.', slash) == std::string::npos && IsExistingFile(program + ".exe")) return program + ".exe";
  return program;
}

// "A=1\0B=2\0\0" as an environment array.
std::vector<std::string> ParseEnvironmentBlock(const char* block) {
  std::vector<std::string> entries;
  while (*block) {
    entries.emplace_back(block);
    block += entries.back().size() + 1;
  }
  return entries;
}

void SleepMilliseconds(DWORD milliseconds) {
  timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

}  // namespace

BOOL WINAPI CreatePipe(LPHANDLE readPipe, LPHANDLE writePipe, LPSECURITY_ATTRIBUTES, DWORD) {
  if (readPipe == nullptr || writePipe == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  IgnoreBrokenPipeSignal();
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    win32::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  *readPipe = InsertHandle({HandleKind::PipeRead, fds[0], nullptr});
  *writePipe = InsertHandle({HandleKind::PipeWrite, fds[1], nullptr});
  return TRUE;
}

void WINAPI GetStartupInfoA(LPSTARTUPINFOA info) {
  if (info == nullptr) return;
  std::memset(info, 0, sizeof *info);
  info->cb = sizeof *info;
  info->wShowWindow = SW_SHOWNORMAL;
}

BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                           BOOL, DWORD, LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                           LPPROCESS_INFORMATION processInformation) {
  if (processInformation == nullptr || startupInfo == nullptr ||
      (applicationName == nullptr && commandLine == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ReapAbandonedProcesses();

  std::vector<std::string> args = win32::SplitCommandLine(commandLine ? commandLine : applicationName);
  const std::string program = ResolveProgram(applicationName ? applicationName : args.front());
  if (program.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }

  ChildStart child;
  child.program = program;
  child.args = std::move(args);
  if (startupInfo->dwFlags & STARTF_USESTDHANDLES) {
    const HANDLE standard[3] = {startupInfo->hStdInput, startupInfo->hStdOutput, startupInfo->hStdError};
    for (int slot = 0; slot < 3; ++slot) {
      std::optional<HandleObject> object = LookupHandle(standard[slot]);
      child.standard[slot] = object && object->fd >= 0 ? object->fd : kNullDevice;
    }
  }
  child.currentDirectory = currentDirectory;
  if (environment != nullptr) {
    child.environment = ParseEnvironmentBlock(static_cast<const char*>(environment));
    child.ownEnvironment = false;
  }
  const pid_t pid = StartChild(child);
  if (pid < 0) {
    win32::SetLastErrorFromErrno(errno);
    return FALSE;
  }

  auto state = std::make_shared<ProcessState>();
  state->pid = pid;
  processInformation->hProcess = InsertHandle({HandleKind::Process, -1, state});
  processInformation->hThread = InsertHandle({HandleKind::Thread, -1, state});
  processInformation->dwProcessId = static_cast<DWORD>(pid);
  processInformation->dwThreadId = static_cast<DWORD>(pid);
  return TRUE;
}

BOOL WINAPI GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  std::optional<HandleObject> object = LookupHandle(process);
  if (!object || object->kind != HandleKind::Process || exitCode == nullptr) {
    SetLastError(object ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(ProcessMutex());
  RefreshProcessLocked(*object->process);
  *exitCode = object->process->exitCode;
  return TRUE;
}

BOOL WINAPI TerminateProcess(HANDLE process, UINT exitCode) {
  std::optional<HandleObject> object = LookupHandle(process);
  if (!object || object->kind != HandleKind::Process) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  ProcessState& state = *object->process;
  {
    std::lock_guard lock(ProcessMutex());
    RefreshProcessLocked(state);
    if (state.reaped) {
      SetLastError(ERROR_ACCESS_DENIED);  // as Windows answers for a process that has ended
      return FALSE;
    }
    state.terminated = true;
    state.terminateCode = exitCode;
    kill(state.pid, SIGKILL);
  }
  // Termination is immediate for all but a process stuck in the kernel; wait a little for it so
  // that the exit code reads as ended right after the call, as callers expect.
  for (int i = 0; i < 1000; ++i) {
    {
      std::lock_guard lock(ProcessMutex());
      RefreshProcessLocked(state);
      if (state.reaped) break;
    }
    SleepMilliseconds(1);
  }
  return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  std::optional<HandleObject> object = LookupHandle(handle);
  if (!object || !object->process) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (DWORD step = 0;; ++step) {
    {
      std::lock_guard lock(ProcessMutex());
      RefreshProcessLocked(*object->process);
      if (object->process->reaped) return WAIT_OBJECT_0;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long elapsed = (now.tv_sec - start.tv_sec) * 1000LL + (now.tv_nsec - start.tv_nsec) / 1000000;
    if (milliseconds != INFINITE && elapsed >= milliseconds) return WAIT_TIMEOUT;
    SleepMilliseconds(step < 20 ? 1 : 5);
  }
}

BOOL WINAPI PeekNamedPipe(HANDLE pipe, LPVOID buffer, DWORD bufferSize, LPDWORD bytesRead, LPDWORD totalBytesAvailable,
                          LPDWORD bytesLeftThisMessage) {
  std::optional<HandleObject> object = LookupHandle(pipe);
  if (!object || (object->kind != HandleKind::PipeRead && object->kind != HandleKind::PipeWrite)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (buffer != nullptr && bufferSize > 0) {
    SetLastError(ERROR_NOT_SUPPORTED);  // only the byte count can be peeked here
    return FALSE;
  }
  int available = 0;
  if (ioctl(object->fd, FIONREAD, &available) != 0) {
    win32::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  if (available == 0 && object->kind == HandleKind::PipeRead) {
    pollfd p{object->fd, POLLIN, 0};
    if (poll(&p, 1, 0) == 1 && (p.revents & POLLHUP)) {
      SetLastError(ERROR_BROKEN_PIPE);  // every write end is closed and nothing is left
      return FALSE;
    }
  }
  if (bytesRead) *bytesRead = 0;
  if (totalBytesAvailable) *totalBytesAvailable = static_cast<DWORD>(available);
  if (bytesLeftThisMessage) *bytesLeftThisMessage = 0;
  return TRUE;
}

void WINAPI Sleep(DWORD milliseconds) { SleepMilliseconds(milliseconds); }

DWORD WINAPI GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

HANDLE WINAPI OpenProcess(DWORD, BOOL, DWORD processId) {
  const auto pid = static_cast<pid_t>(processId);
  // EPERM: it exists, but belongs to another user.
  if (pid <= 0 || (kill(pid, 0) != 0 && errno != EPERM)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto state = std::make_shared<ProcessState>();
  state->pid = pid;
  state->foreign = true;
  return InsertHandle({HandleKind::Process, -1, state});
}
