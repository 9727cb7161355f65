// Accelerator tables and the keyboard state.
#include <QGuiApplication>
#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "platform/win32/errors.h"
#include "platform/win32/user32.h"

namespace {

struct Tables {
  std::mutex mutex;
  std::map<HACCEL, std::vector<ACCEL>> entries;  // guarded by mutex
  ULONG_PTR next = 0x5000;
};

Tables& TheTables() {
  static auto* tables = new Tables;
  return *tables;
}

}  // namespace

SHORT WINAPI GetKeyState(int virtualKey) {
  const Qt::KeyboardModifiers modifiers = QGuiApplication::queryKeyboardModifiers();
  bool down = false;
  switch (virtualKey) {
    case VK_SHIFT: down = modifiers & Qt::ShiftModifier; break;
    case VK_CONTROL: down = modifiers & Qt::ControlModifier; break;
    case VK_MENU: down = modifiers & Qt::AltModifier; break;
    default: break;
  }
  return down ? static_cast<SHORT>(0x8000) : 0;
}

HACCEL WINAPI CreateAcceleratorTableA(LPACCEL entries, int count) {
  if (!entries || count <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Tables& tables = TheTables();
  std::lock_guard lock(tables.mutex);
  HACCEL table = reinterpret_cast<HACCEL>(tables.next += 4);
  tables.entries[table].assign(entries, entries + count);
  return table;
}

BOOL WINAPI DestroyAcceleratorTable(HACCEL table) {
  Tables& tables = TheTables();
  std::lock_guard lock(tables.mutex);
  return tables.entries.erase(table) ? TRUE : FALSE;
}

int WINAPI CopyAcceleratorTableA(HACCEL table, LPACCEL entries, int count) {
  Tables& tables = TheTables();
  std::lock_guard lock(tables.mutex);
  auto found = tables.entries.find(table);
  if (found == tables.entries.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  const int size = static_cast<int>(found->second.size());
  if (!entries) return size;
  const int copied = std::min(size, std::max(count, 0));
  std::copy_n(found->second.begin(), copied, entries);
  return copied;
}
