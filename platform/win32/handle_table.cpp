#include "platform/win32/handle_table.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <unordered_map>
#include <vector>

#include "platform/win32/errors.h"
#include "platform/win32/kernel32.h"

namespace win32::detail {
namespace {

struct Table {
  std::mutex mutex;
  std::unordered_map<ULONG_PTR, HandleObject> entries;
  ULONG_PTR next = 0x100;  // handle values are multiples of 4, as on Windows
};

Table& TheTable() {
  static Table table;
  return table;
}

std::vector<std::shared_ptr<ProcessState>>& Abandoned() {
  static std::vector<std::shared_ptr<ProcessState>> list;
  return list;
}

DWORD ExitCodeFromStatus(int status) {
  if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return 128 + static_cast<DWORD>(WTERMSIG(status));
  return 1;
}

}  // namespace

HANDLE InsertHandle(HandleObject object) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  const ULONG_PTR value = table.next;
  table.next += 4;
  table.entries.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::optional<HandleObject> LookupHandle(HANDLE handle) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  auto it = table.entries.find(reinterpret_cast<ULONG_PTR>(handle));
  if (it == table.entries.end()) return std::nullopt;
  return it->second;
}

std::optional<HandleObject> RemoveHandle(HANDLE handle) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  auto it = table.entries.find(reinterpret_cast<ULONG_PTR>(handle));
  if (it == table.entries.end()) return std::nullopt;
  HandleObject object = std::move(it->second);
  table.entries.erase(it);
  return object;
}

std::mutex& ProcessMutex() {
  static std::mutex mutex;
  return mutex;
}

void RefreshProcessLocked(ProcessState& state) {
  if (state.reaped || state.pid <= 0) return;
  if (state.foreign) {
    // Not ours to wait for: it has ended once no process has its id any more.
    if (kill(state.pid, 0) != 0 && errno == ESRCH) {
      state.reaped = true;
      state.exitCode = state.terminated ? state.terminateCode : 0;
    }
    return;
  }
  int status = 0;
  const pid_t result = waitpid(state.pid, &status, WNOHANG);
  if (result == state.pid) {
    state.reaped = true;
    const bool killedByUs = state.terminated && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    state.exitCode = killedByUs ? state.terminateCode : ExitCodeFromStatus(status);
  } else if (result < 0 && errno == ECHILD) {
    state.reaped = true;  // someone else collected it; its code is lost
    state.exitCode = state.terminated ? state.terminateCode : 1;
  }
}

void AbandonProcess(const std::shared_ptr<ProcessState>& state) {
  if (state->foreign) return;  // another's child: its parent collects it
  std::lock_guard lock(ProcessMutex());
  RefreshProcessLocked(*state);
  if (!state->reaped) Abandoned().push_back(state);
}

void ReapAbandonedProcesses() {
  std::lock_guard lock(ProcessMutex());
  auto& list = Abandoned();
  for (auto& state : list) RefreshProcessLocked(*state);
  list.erase(std::remove_if(list.begin(), list.end(), [](const auto& s) { return s->reaped; }), list.end());
}

int DescriptorOf(HANDLE handle) {
  std::optional<HandleObject> object = LookupHandle(handle);
  if (!object || object->fd < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return -1;
  }
  return object->fd;
}

}  // namespace win32::detail

BOOL WINAPI GetHandleInformation(HANDLE handle, LPDWORD flags) {
  if (!win32::detail::LookupHandle(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (flags) *flags = 0;  // handles reach a child only as its standard handles, never by inheritance
  return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE handle) {
  using namespace win32::detail;
  std::optional<HandleObject> object = RemoveHandle(handle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (object->fd >= 0) close(object->fd);
  if (object->process) {
    // The table's copy is gone; when no other handle refers to the child, it is abandoned.
    if (object->process.use_count() == 1) AbandonProcess(object->process);
    object->process.reset();
  }
  ReapAbandonedProcesses();
  return TRUE;
}
