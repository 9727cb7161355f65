// Window relations, visibility, placement, text and focus.
#include <QApplication>
#include <QWidget>
#include <cstring>

#include "platform/win32/errors.h"
#include "platform/win32/user32.h"
#include "platform/win32/window_table.h"

using namespace win32::detail;

namespace {

QWidget* WidgetOrFail(HWND window) {
  QWidget* widget = win32::WidgetFromHandle(window);
  if (!widget) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return widget;
}

HWND NearestWindow(const QWidget* widget) {
  for (; widget; widget = widget->parentWidget())
    if (HWND h = win32::HandleFromWidget(widget)) return h;
  return nullptr;
}

// Applies a placement through WM_WINDOWPOSCHANGING / WM_WINDOWPOSCHANGED, as the system does.
BOOL ApplyPlacement(HWND window, QWidget* widget, WINDOWPOS pos) {
  SendMessageA(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
  if (!(pos.flags & SWP_NOMOVE) || !(pos.flags & SWP_NOSIZE)) {
    const QRect current = widget->geometry();
    const int x = (pos.flags & SWP_NOMOVE) ? current.x() : pos.x;
    const int y = (pos.flags & SWP_NOMOVE) ? current.y() : pos.y;
    const int cx = (pos.flags & SWP_NOSIZE) ? current.width() : std::max(pos.cx, 0);
    const int cy = (pos.flags & SWP_NOSIZE) ? current.height() : std::max(pos.cy, 0);
    widget->setGeometry(x, y, cx, cy);
  }
  if (!(pos.flags & SWP_NOZORDER)) {
    if (pos.hwndInsertAfter == HWND_TOP || pos.hwndInsertAfter == HWND_TOPMOST) {
      widget->raise();
    } else if (pos.hwndInsertAfter == HWND_BOTTOM) {
      widget->lower();
    } else if (QWidget* above = win32::WidgetFromHandle(pos.hwndInsertAfter)) {
      widget->stackUnder(above);
    }
  }
  if (pos.flags & SWP_SHOWWINDOW) widget->show();
  if (pos.flags & SWP_HIDEWINDOW) widget->hide();
  const QRect now = widget->geometry();
  pos.x = now.x();
  pos.y = now.y();
  pos.cx = now.width();
  pos.cy = now.height();
  if (IsWindow(window)) SendMessageA(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  return TRUE;
}

}  // namespace

HWND WINAPI GetParent(HWND window) {
  QWidget* widget = WidgetOrFail(window);
  if (!widget || widget->isWindow()) return nullptr;
  return NearestWindow(widget->parentWidget());
}

HWND WINAPI SetParent(HWND child, HWND newParent) {
  QWidget* widget = WidgetOrFail(child);
  if (!widget) return nullptr;
  QWidget* parentWidget = nullptr;
  if (newParent && !(parentWidget = WidgetOrFail(newParent))) return nullptr;
  HWND previous = GetParent(child);
  const bool visible = !widget->isHidden();
  const QPoint pos = widget->pos();
  widget->setParent(parentWidget);
  widget->move(pos);
  if (visible) widget->show();  // Qt hides a widget that changes parents; Windows keeps it shown
  return previous;
}

BOOL WINAPI EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM lParam) {
  if (!callback) return FALSE;
  std::vector<HWND> windows;
  if (parent) {
    QWidget* widget = WidgetOrFail(parent);
    if (!widget) return FALSE;
    windows = DescendantWindows(widget);
  } else {
    windows = TopLevelWindows();
  }
  for (HWND h : windows) {
    if (!IsWindow(h)) continue;  // destroyed by an earlier callback
    if (!callback(h, lParam)) break;
  }
  return TRUE;
}

int WINAPI GetClassNameA(HWND window, LPSTR className, int maxCount) {
  WindowEntry entry;
  if (!FindWindow(window, entry)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (!className || maxCount <= 0) return 0;
  const std::size_t n = std::min<std::size_t>(entry.className.size(), static_cast<std::size_t>(maxCount - 1));
  std::memcpy(className, entry.className.data(), n);
  className[n] = '\0';
  return static_cast<int>(n);
}

BOOL WINAPI ShowWindow(HWND window, int command) {
  QWidget* widget = WidgetOrFail(window);
  if (!widget) return FALSE;
  const bool wasVisible = !widget->isHidden();
  const bool show = command != SW_HIDE;
  if (show != wasVisible) {
    WINDOWPOS pos{window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER};
    pos.flags |= show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
    ApplyPlacement(window, widget, pos);
  }
  if (IsWindow(window) && widget->isWindow()) {
    if (command == SW_MINIMIZE) widget->showMinimized();
    if (command == SW_RESTORE && (widget->isMinimized() || widget->isMaximized())) widget->showNormal();
  }
  return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND window) {
  QWidget* widget = win32::WidgetFromHandle(window);
  return widget && widget->isVisible() ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND window, BOOL enable) {
  QWidget* widget = WidgetOrFail(window);
  if (!widget) return FALSE;
  const bool wasDisabled = !widget->isEnabled();
  widget->setEnabled(enable != FALSE);
  return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND window) {
  QWidget* widget = win32::WidgetFromHandle(window);
  return widget && widget->isEnabled() ? TRUE : FALSE;
}

BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  QWidget* widget = WidgetOrFail(window);
  if (!widget) return FALSE;
  return ApplyPlacement(window, widget, WINDOWPOS{window, insertAfter, x, y, cx, cy, flags});
}

BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(window, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL WINAPI GetWindowRect(HWND window, RECT* rect) {
  QWidget* widget = WidgetOrFail(window);
  if (!widget || !rect) return FALSE;
  const QPoint topLeft = widget->mapToGlobal(QPoint(0, 0));
  *rect = RECT{topLeft.x(), topLeft.y(), topLeft.x() + widget->width(), topLeft.y() + widget->height()};
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, RECT* rect) {
  QWidget* widget = WidgetOrFail(window);
  if (!widget || !rect) return FALSE;
  *rect = RECT{0, 0, widget->width(), widget->height()};
  return TRUE;
}

BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL) {
  QWidget* widget = WidgetOrFail(window);
  if (!widget) return FALSE;
  if (rect)
    widget->update(QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1)));
  else
    widget->update();
  return TRUE;
}

BOOL WINAPI UpdateWindow(HWND window) {
  QWidget* widget = WidgetOrFail(window);
  if (!widget) return FALSE;
  if (widget->isVisible()) widget->repaint();
  return TRUE;
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
  if (!IsWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND window, LPSTR text, int maxCount) {
  if (!text || maxCount <= 0) return 0;
  text[0] = '\0';
  return static_cast<int>(
      SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(text)));
}

HWND WINAPI SetFocus(HWND window) {
  HWND previous = GetFocus();
  if (window) {
    QWidget* widget = WidgetOrFail(window);
    if (!widget) return nullptr;
    widget->setFocus(Qt::OtherFocusReason);
  } else if (QWidget* focused = QApplication::focusWidget()) {
    focused->clearFocus();
  }
  return previous;
}

HWND WINAPI GetFocus() { return NearestWindow(QApplication::focusWidget()); }
