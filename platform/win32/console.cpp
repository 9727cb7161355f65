// The console functions on a terminal, and the processors the process may use.
#include <sched.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <mutex>

#include "platform/win32/handle_table.h"
#include "platform/win32/kernel32.h"
#include "platform/win32/wincon.h"

using namespace win32::detail;

namespace {

// A terminal's descriptor behind a handle, or -1 with ERROR_INVALID_HANDLE.
int TerminalOf(HANDLE console) {
  const int fd = DescriptorOf(console);
  if (fd < 0) return -1;
  if (!isatty(fd)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return -1;
  }
  return fd;
}

}  // namespace

HANDLE WINAPI GetStdHandle(DWORD stdHandle) {
  static std::once_flag once;
  static HANDLE handles[3] = {};
  std::call_once(once, [] {
    for (int fd = 0; fd < 3; ++fd) handles[fd] = InsertHandle(HandleObject{HandleKind::File, fd, nullptr});
  });
  switch (stdHandle) {
    case STD_INPUT_HANDLE: return handles[0];
    case STD_OUTPUT_HANDLE: return handles[1];
    case STD_ERROR_HANDLE: return handles[2];
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
  }
}

BOOL WINAPI GetConsoleMode(HANDLE console, LPDWORD mode) {
  if (TerminalOf(console) < 0) return FALSE;
  if (mode != nullptr) *mode = 0;
  return TRUE;
}

BOOL WINAPI GetConsoleScreenBufferInfo(HANDLE console, CONSOLE_SCREEN_BUFFER_INFO* info) {
  const int fd = TerminalOf(console);
  if (fd < 0 || info == nullptr) return FALSE;
  winsize size{};
  // A terminal that does not tell its size gets the classic console's.
  if (ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) size = {25, 80, 0, 0};
  *info = {};
  info->dwSize = {static_cast<SHORT>(size.ws_col), static_cast<SHORT>(size.ws_row)};
  info->srWindow = {0, 0, static_cast<SHORT>(size.ws_col - 1), static_cast<SHORT>(size.ws_row - 1)};
  info->dwMaximumWindowSize = info->dwSize;
  return TRUE;
}

HANDLE WINAPI GetCurrentProcess() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)); }

BOOL WINAPI GetProcessAffinityMask(HANDLE process, DWORD_PTR* processMask, DWORD_PTR* systemMask) {
  if (process != GetCurrentProcess() || processMask == nullptr || systemMask == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  constexpr int kBits = static_cast<int>(sizeof(DWORD_PTR) * 8);
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  *processMask = 0;
  *systemMask = 0;
  for (int cpu = 0; cpu < kBits; ++cpu) {
    if (CPU_ISSET(cpu, &allowed)) *processMask |= DWORD_PTR{1} << cpu;
    if (cpu < online) *systemMask |= DWORD_PTR{1} << cpu;
  }
  return TRUE;
}
