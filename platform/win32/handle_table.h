// Internal: the process-wide table behind HANDLE values.
#pragma once

#include <sys/types.h>

#include <memory>
#include <mutex>
#include <optional>

#include "platform/win32/wintypes.h"

namespace win32::detail {

// A child process, shared by its process and thread handles, or another process of the machine
// that OpenProcess named (foreign: never waited for, only watched). Guarded by ProcessMutex().
struct ProcessState {
  pid_t pid = -1;
  bool foreign = false;
  bool reaped = false;
  DWORD exitCode = 259;     // STILL_ACTIVE until reaped
  bool terminated = false;  // TerminateProcess killed it; its code replaces the signal's
  DWORD terminateCode = 0;
};

enum class HandleKind { File, PipeRead, PipeWrite, Process, Thread, Find };

struct HandleObject {
  HandleKind kind = HandleKind::File;
  int fd = -1;                            // File, PipeRead, PipeWrite
  std::shared_ptr<ProcessState> process;  // Process, Thread
};

HANDLE InsertHandle(HandleObject object);
std::optional<HandleObject> LookupHandle(HANDLE handle);
// Removes the entry; the caller releases what it holds.
std::optional<HandleObject> RemoveHandle(HANDLE handle);

std::mutex& ProcessMutex();
// Collects the exit status of a child that has ended, without waiting. Caller holds ProcessMutex().
void RefreshProcessLocked(ProcessState& state);
// A child whose last handle was closed before it ended is reaped later, so it leaves no zombie.
void AbandonProcess(const std::shared_ptr<ProcessState>& state);
void ReapAbandonedProcesses();

// The descriptor of a file or pipe handle, or -1 with ERROR_INVALID_HANDLE set.
int DescriptorOf(HANDLE handle);

}  // namespace win32::detail
