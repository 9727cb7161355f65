// Window classes, the window table, window longs and widget binding.
#include <QApplication>
#include <QThread>
#include <algorithm>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/win32/ascii.h"
#include "platform/win32/errors.h"
#include "platform/win32/user32.h"
#include "platform/win32/window_table.h"

namespace win32::detail {
namespace {

struct WindowClass {
  std::string name;
  WNDCLASSA info{};
  WidgetFactory factory;
};

using win32::detail::SameNameIgnoringCase;

// Everything here is reached from the GUI thread, except lookups by PostMessageA and IsWindow.
struct Table {
  std::mutex mutex;
  std::vector<WindowClass> classes;
  std::unordered_map<HWND, WindowEntry> windows;
  std::unordered_map<const QWidget*, HWND> byWidget;
  ULONG_PTR nextHandle = 0x10010;

  WindowClass* FindClass(const char* name) {
    auto it = std::find_if(classes.begin(), classes.end(),
                           [&](const WindowClass& c) { return SameNameIgnoringCase(c.name, name); });
    return it == classes.end() ? nullptr : &*it;
  }
  HWND NewHandle() {
    nextHandle += 4;
    return reinterpret_cast<HWND>(nextHandle);
  }
};

Table& table() {
  static Table instance;
  return instance;
}

HWND AddWindow(QWidget* widget, bool owns, const WindowClass& cls, DWORD style, DWORD exStyle, HMENU menu,
               HINSTANCE instance, const char* text) {
  Table& t = table();
  HWND handle;
  {
    std::lock_guard lock(t.mutex);
    handle = t.NewHandle();
    WindowEntry entry;
    entry.handle = handle;
    entry.widget = widget;
    entry.ownsWidget = owns;
    entry.className = cls.name;
    entry.procedure = cls.info.lpfnWndProc ? cls.info.lpfnWndProc : DefWindowProcA;
    entry.style = static_cast<LONG>(style);
    entry.exStyle = static_cast<LONG>(exStyle);
    entry.id = reinterpret_cast<LONG_PTR>(menu);
    entry.instance = instance;
    entry.text = text ? text : "";
    t.windows.emplace(handle, std::move(entry));
    t.byWidget[widget] = handle;
  }
  QObject::connect(widget, &QObject::destroyed, [handle, widget] {
    Table& tt = table();
    std::lock_guard lock(tt.mutex);
    tt.windows.erase(handle);
    auto it = tt.byWidget.find(widget);
    if (it != tt.byWidget.end() && it->second == handle) tt.byWidget.erase(it);
  });
  InstallEventBridge(widget);
  return handle;
}

void RemoveWindow(HWND handle) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.windows.find(handle);
  if (it == t.windows.end()) return;
  if (it->second.widget) {
    auto w = t.byWidget.find(it->second.widget.data());
    if (w != t.byWidget.end() && w->second == handle) t.byWidget.erase(w);
  }
  t.windows.erase(it);
}

}  // namespace

bool FindWindow(HWND window, WindowEntry& entry) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.windows.find(window);
  if (it == t.windows.end()) return false;
  entry = it->second;
  return true;
}

WNDPROC ProcedureOf(HWND window) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.windows.find(window);
  return it == t.windows.end() ? nullptr : it->second.procedure;
}

bool SetText(HWND window, const std::string& text) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.windows.find(window);
  if (it == t.windows.end()) return false;
  it->second.text = text;
  return true;
}

std::vector<HWND> DescendantWindows(const QWidget* widget) {
  std::vector<HWND> result;
  if (!widget) return result;
  for (QWidget* child : widget->findChildren<QWidget*>()) {
    if (HWND h = HandleFromWidget(child)) result.push_back(h);
  }
  return result;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> result;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (HWND h = HandleFromWidget(w)) result.push_back(h);
  }
  return result;
}

bool OnGuiThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return !app || app->thread() == QThread::currentThread();
}

}  // namespace win32::detail

using namespace win32::detail;

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
  if (!windowClass || !windowClass->lpszClassName || !*windowClass->lpszClassName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Table& t = table();
  std::lock_guard lock(t.mutex);
  if (t.FindClass(windowClass->lpszClassName)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  WindowClass cls;
  cls.name = windowClass->lpszClassName;
  cls.info = *windowClass;
  cls.info.lpszClassName = nullptr;  // the caller's text need not outlive the call
  cls.info.lpszMenuName = nullptr;
  t.classes.push_back(std::move(cls));
  return static_cast<ATOM>(0xC000 + t.classes.size());
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto it = std::find_if(t.classes.begin(), t.classes.end(),
                         [&](const WindowClass& c) { return className && SameNameIgnoringCase(c.name, className); });
  if (it == t.classes.end()) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  t.classes.erase(it);
  return TRUE;
}

BOOL WINAPI GetClassInfoA(HINSTANCE, LPCSTR className, WNDCLASSA* windowClass) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  WindowClass* cls = className ? t.FindClass(className) : nullptr;
  if (!cls) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (windowClass) {
    *windowClass = cls->info;
    windowClass->lpszClassName = className;
  }
  return TRUE;
}

bool win32::SetClassWidgetFactory(LPCSTR className, WidgetFactory factory) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  WindowClass* cls = className ? t.FindClass(className) : nullptr;
  if (!cls) return false;
  cls->factory = std::move(factory);
  return true;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  WindowClass cls;
  {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    WindowClass* found = className ? t.FindClass(className) : nullptr;
    if (!found) {
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    cls = *found;
  }
  QWidget* parentWidget = nullptr;
  if (parent) {
    parentWidget = win32::WidgetFromHandle(parent);
    if (!parentWidget) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
  }
  const bool child = (style & WS_CHILD) != 0;
  CREATESTRUCTA create{};
  create.lpCreateParams = param;
  create.hInstance = instance;
  create.hMenu = menu;
  create.hwndParent = parent;
  create.x = x;
  create.y = y;
  create.cx = width;
  create.cy = height;
  create.style = static_cast<LONG>(style);
  create.lpszName = windowName;
  create.lpszClass = className;
  create.dwExStyle = exStyle;

  QWidget* qtParent = child ? parentWidget : nullptr;
  QWidget* widget = cls.factory ? cls.factory(create, qtParent) : new QWidget(qtParent);
  if (!widget) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (child && widget->parentWidget() != parentWidget) widget->setParent(parentWidget);
  if (!child && widget->parentWidget()) widget->setParent(nullptr);
  if (!child && windowName) widget->setWindowTitle(QString::fromLocal8Bit(windowName));
  if (x != CW_USEDEFAULT && width != CW_USEDEFAULT) widget->setGeometry(x, y, std::max(width, 0), std::max(height, 0));

  HWND handle = AddWindow(widget, true, cls, style & ~(WS_VISIBLE | WS_DISABLED), exStyle, menu, instance, windowName);
  if (SendMessageA(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(handle);
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (style & WS_DISABLED) widget->setEnabled(false);
  if (style & WS_VISIBLE) widget->show();
  return handle;
}

BOOL WINAPI DestroyWindow(HWND window) {
  WindowEntry entry;
  if (!FindWindow(window, entry)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  std::vector<HWND> all{window};
  const std::vector<HWND> descendants = DescendantWindows(entry.widget.data());
  all.insert(all.end(), descendants.begin(), descendants.end());
  for (HWND h : all)
    if (IsWindow(h)) SendMessageA(h, WM_DESTROY, 0, 0);
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if (IsWindow(*it)) SendMessageA(*it, WM_NCDESTROY, 0, 0);
  for (HWND h : all) RemoveWindow(h);
  if (entry.ownsWidget && entry.widget) {
    // The window may be destroyed from inside one of its own events; Qt deletes it once that is over.
    entry.widget->hide();
    entry.widget->deleteLater();
  }
  return TRUE;
}

BOOL WINAPI IsWindow(HWND window) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  return t.windows.count(window) ? TRUE : FALSE;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index) {
  WindowEntry entry;
  if (!FindWindow(window, entry)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(entry.procedure);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(entry.instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(GetParent(window));
    case GWLP_ID: return entry.id;
    case GWLP_USERDATA: return entry.userData;
    case GWL_STYLE: {
      LONG style = entry.style & ~static_cast<LONG>(WS_VISIBLE | WS_DISABLED);
      if (entry.widget && !entry.widget->isHidden()) style |= static_cast<LONG>(WS_VISIBLE);
      if (entry.widget && !entry.widget->isEnabled()) style |= static_cast<LONG>(WS_DISABLED);
      return style;
    }
    case GWL_EXSTYLE: return entry.exStyle;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
  }
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  const LONG_PTR previous = GetWindowLongPtrA(window, index);
  Table& t = table();
  std::unique_lock lock(t.mutex);
  auto it = t.windows.find(window);
  if (it == t.windows.end()) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  WindowEntry& entry = it->second;
  switch (index) {
    case GWLP_WNDPROC: entry.procedure = value ? reinterpret_cast<WNDPROC>(value) : DefWindowProcA; return previous;
    case GWLP_ID: entry.id = value; return previous;
    case GWLP_USERDATA: entry.userData = value; return previous;
    case GWL_EXSTYLE: entry.exStyle = static_cast<LONG>(value); return previous;
    case GWL_STYLE: {
      entry.style = static_cast<LONG>(value);
      QPointer<QWidget> widget = entry.widget;
      lock.unlock();
      // The visible and disabled bits are the widget's own state.
      if (widget) {
        widget->setVisible((value & WS_VISIBLE) != 0);
        widget->setEnabled((value & WS_DISABLED) == 0);
      }
      return previous;
    }
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
  }
}

LONG WINAPI GetWindowLongA(HWND window, int index) { return static_cast<LONG>(GetWindowLongPtrA(window, index)); }

LONG WINAPI SetWindowLongA(HWND window, int index, LONG value) {
  if (index == GWLP_WNDPROC) {  // a procedure does not fit 32 bits here
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  return static_cast<LONG>(SetWindowLongPtrA(window, index, value));
}

HWND win32::BindWidget(QWidget* widget, LPCSTR className) {
  if (!widget || !className) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (HWND existing = HandleFromWidget(widget)) return existing;
  WindowClass cls;
  {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    WindowClass* found = t.FindClass(className);
    if (!found) {
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    cls = *found;
  }
  const DWORD style = widget->isWindow() ? WS_OVERLAPPED : WS_CHILD;
  return AddWindow(widget, false, cls, style, 0, nullptr, nullptr, widget->windowTitle().toLocal8Bit().constData());
}

QWidget* win32::WidgetFromHandle(HWND window) {
  WindowEntry entry;
  return FindWindow(window, entry) ? entry.widget.data() : nullptr;
}

HWND win32::HandleFromWidget(const QWidget* widget) {
  if (!widget) return nullptr;
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.byWidget.find(widget);
  return it == t.byWidget.end() ? nullptr : it->second;
}
