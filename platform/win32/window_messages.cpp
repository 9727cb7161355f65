// Window procedures and messages: sending, posting, default handling, and the bridge that turns
// the Qt events of bound widgets into messages.
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QResizeEvent>
#include <chrono>
#include <cstring>

#include "platform/win32/errors.h"
#include "platform/win32/gui_thread_calls.h"
#include "platform/win32/user32.h"
#include "platform/win32/window_table.h"

namespace win32::detail {
namespace {

// The Qt event being delivered as a message: Qt handles it itself only when the procedure chain
// passed that message on to DefWindowProcA.
struct DeliveryFrame {
  HWND window;
  UINT message;
  bool reachedDefault;
};
thread_local std::vector<DeliveryFrame> deliveryFrames;
thread_local LONG messageTime = 0;

LONG Now() {
  static const auto start = std::chrono::steady_clock::now();
  return static_cast<LONG>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

// Sends a message for a Qt event; true when the message reached the default handling.
bool DeliverEvent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  deliveryFrames.push_back({window, message, false});
  StampMessageTime();
  Deliver(window, message, wParam, lParam);
  const bool reached = deliveryFrames.back().reachedDefault;
  deliveryFrames.pop_back();
  return reached;
}

WPARAM MouseKeyFlags(const QMouseEvent* e) {
  WPARAM flags = 0;
  if (e->buttons() & Qt::LeftButton) flags |= MK_LBUTTON;
  if (e->buttons() & Qt::RightButton) flags |= MK_RBUTTON;
  if (e->buttons() & Qt::MiddleButton) flags |= MK_MBUTTON;
  if (e->modifiers() & Qt::ShiftModifier) flags |= MK_SHIFT;
  if (e->modifiers() & Qt::ControlModifier) flags |= MK_CONTROL;
  return flags;
}

UINT MouseMessage(QEvent::Type type, Qt::MouseButton button) {
  const int base = button == Qt::RightButton    ? WM_RBUTTONDOWN
                   : button == Qt::MiddleButton ? WM_MBUTTONDOWN
                                                : WM_LBUTTONDOWN;
  switch (type) {
    case QEvent::MouseButtonPress: return base;
    case QEvent::MouseButtonRelease: return base + 1;
    case QEvent::MouseButtonDblClick: return base + 2;
    default: return WM_MOUSEMOVE;
  }
}

LPARAM KeyData(const QKeyEvent* e, bool release) {
  DWORD data = 1;  // repeat count
  data |= (e->nativeScanCode() & 0xFF) << 16;
  if (release || e->isAutoRepeat()) data |= 1u << 30;
  if (release) data |= 1u << 31;
  return static_cast<LPARAM>(data);
}

class EventBridge final : public QObject {
 public:
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(object);
    HWND window = widget ? HandleFromWidget(widget) : nullptr;
    if (!window) return false;
    switch (event->type()) {
      case QEvent::Resize: {
        const QSize size = static_cast<QResizeEvent*>(event)->size();
        const WPARAM kind = widget->isMinimized()   ? SIZE_MINIMIZED
                            : widget->isMaximized() ? SIZE_MAXIMIZED
                                                    : SIZE_RESTORED;
        DeliverEvent(window, WM_SIZE, kind, MAKELPARAM(size.width(), size.height()));
        return false;
      }
      case QEvent::Move: {
        const QPoint pos = static_cast<QMoveEvent*>(event)->pos();
        DeliverEvent(window, WM_MOVE, 0, MAKELPARAM(pos.x(), pos.y()));
        return false;
      }
      case QEvent::Show: DeliverEvent(window, WM_SHOWWINDOW, TRUE, 0); return false;
      case QEvent::Hide: DeliverEvent(window, WM_SHOWWINDOW, FALSE, 0); return false;
      case QEvent::FocusIn: DeliverEvent(window, WM_SETFOCUS, 0, 0); return false;
      case QEvent::FocusOut: DeliverEvent(window, WM_KILLFOCUS, 0, 0); return false;
      case QEvent::EnabledChange: DeliverEvent(window, WM_ENABLE, widget->isEnabled() ? TRUE : FALSE, 0); return false;
      case QEvent::Paint: return !DeliverEvent(window, WM_PAINT, 0, 0);
      case QEvent::Close:
        if (DeliverEvent(window, WM_CLOSE, 0, 0)) return false;
        event->ignore();
        return true;
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool release = event->type() == QEvent::KeyRelease;
        const bool alt = (key->modifiers() & Qt::AltModifier) != 0;
        const UINT message = release ? (alt ? WM_SYSKEYUP : WM_KEYUP) : (alt ? WM_SYSKEYDOWN : WM_KEYDOWN);
        bool passOn = DeliverEvent(window, message, VirtualKeyFromQtKey(key->key()), KeyData(key, release));
        if (!release && passOn) {
          const QByteArray text = key->text().toLocal8Bit();
          for (char c : text)
            passOn = DeliverEvent(window, WM_CHAR, static_cast<unsigned char>(c), KeyData(key, false)) && passOn;
        }
        return !passOn;
      }
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        return !DeliverEvent(window, MouseMessage(event->type(), mouse->button()), MouseKeyFlags(mouse),
                             MAKELPARAM(pos.x(), pos.y()));
      }
      default: return false;
    }
  }
};

}  // namespace

void StampMessageTime() { messageTime = Now(); }

void InstallEventBridge(QWidget* widget) {
  static EventBridge* bridge = new EventBridge;  // lives as long as the process, like the table
  widget->installEventFilter(bridge);
}

LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC procedure = ProcedureOf(window);
  if (!procedure) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return procedure(window, message, wParam, lParam);
}

}  // namespace win32::detail

using namespace win32::detail;

LRESULT WINAPI CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!procedure) return 0;
  return procedure(window, message, wParam, lParam);
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!deliveryFrames.empty()) {
    DeliveryFrame& frame = deliveryFrames.back();
    if (frame.window == window && frame.message == message) frame.reachedDefault = true;
  }
  switch (message) {
    case WM_SETTEXT: {
      const char* text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      if (!SetText(window, text)) return FALSE;
      if (QWidget* widget = win32::WidgetFromHandle(window); widget && widget->isWindow())
        widget->setWindowTitle(QString::fromLocal8Bit(text));
      return TRUE;
    }
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
      WindowEntry entry;
      if (!FindWindow(window, entry)) return 0;
      if (message == WM_GETTEXTLENGTH) return static_cast<LRESULT>(entry.text.size());
      if (wParam == 0 || !lParam) return 0;
      const std::size_t n = std::min<std::size_t>(entry.text.size(), wParam - 1);
      std::memcpy(reinterpret_cast<char*>(lParam), entry.text.data(), n);
      reinterpret_cast<char*>(lParam)[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_CLOSE: {
      // Outside a Qt close event there is nothing for Qt to go on with: close the widget now.
      const bool fromQt = !deliveryFrames.empty() && deliveryFrames.back().window == window &&
                          deliveryFrames.back().message == WM_CLOSE;
      if (!fromQt)
        if (QWidget* widget = win32::WidgetFromHandle(window)) widget->close();
      return 0;
    }
    default: return 0;
  }
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!IsWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (OnGuiThread()) return Deliver(window, message, wParam, lParam);
  LRESULT result = 0;
  win32::CallOnGuiThread([&] {
    if (IsWindow(window)) {
      StampMessageTime();
      result = Deliver(window, message, wParam, lParam);
    }
  });
  return result;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || !IsWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  win32::PostToGuiThread([=] {
    if (!IsWindow(window)) return;  // destroyed while the message waited
    StampMessageTime();
    Deliver(window, message, wParam, lParam);
  });
  return TRUE;
}

LONG WINAPI GetMessageTime() { return messageTime; }
