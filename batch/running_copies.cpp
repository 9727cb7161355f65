#include "batch/running_copies.h"

#include "platform/win32/kernel32.h"

namespace batch {

bool ProcessIsRunning(DWORD processId) {
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

DWORD ProcessIdIn(const AnsiString& name, std::size_t from, std::size_t end) {
  if (end == AnsiString::npos) end = name.size();
  if (from >= end || end > name.size() || end - from > 10) return 0;
  unsigned long long id = 0;
  for (std::size_t i = from; i < end; ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    id = id * 10 + static_cast<unsigned>(name[i] - '0');
  }
  return id > 0xFFFFFFFFull ? 0 : static_cast<DWORD>(id);
}

}  // namespace batch
