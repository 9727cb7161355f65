// Device contexts over QPainter, and solid brushes.
#include "platform/win32/painting.h"

#include <QPainter>
#include <QWidget>
#include <map>
#include <memory>

#include "platform/win32/errors.h"

namespace {

struct DeviceContext {
  std::unique_ptr<QPainter> painter;  // null: draws nothing
};

// Painting belongs to the GUI thread: no lock.
std::map<HDC, std::unique_ptr<DeviceContext>>& Contexts() {
  static auto* contexts = new std::map<HDC, std::unique_ptr<DeviceContext>>;
  return *contexts;
}

std::map<HBRUSH, COLORREF>& Brushes() {
  static auto* brushes = new std::map<HBRUSH, COLORREF>;
  return *brushes;
}

QColor ToQColor(COLORREF color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

}  // namespace

HDC WINAPI BeginPaint(HWND window, PAINTSTRUCT* paint) {
  QWidget* widget = win32::WidgetFromHandle(window);
  if (!widget || !paint) {
    SetLastError(widget ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  auto context = std::make_unique<DeviceContext>();
  if (widget->testAttribute(Qt::WA_WState_InPaintEvent)) context->painter = std::make_unique<QPainter>(widget);
  HDC dc = reinterpret_cast<HDC>(context.get());
  Contexts()[dc] = std::move(context);
  *paint = PAINTSTRUCT{};
  paint->hdc = dc;
  paint->rcPaint = RECT{0, 0, widget->width(), widget->height()};
  return dc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* paint) {
  if (!paint) return FALSE;
  return Contexts().erase(paint->hdc) ? TRUE : FALSE;
}

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  auto context = Contexts().find(dc);
  auto color = Brushes().find(brush);
  if (context == Contexts().end() || color == Brushes().end() || !rect) return 0;
  if (QPainter* painter = context->second->painter.get())
    painter->fillRect(QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top),
                      ToQColor(color->second));
  return 1;
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  static ULONG_PTR next = 0x7000;
  HBRUSH brush = reinterpret_cast<HBRUSH>(next += 4);
  Brushes()[brush] = color;
  return brush;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) { return Brushes().erase(object) ? TRUE : FALSE; }

QPainter* win32::PainterFromDC(HDC dc) {
  auto context = Contexts().find(dc);
  return context == Contexts().end() ? nullptr : context->second->painter.get();
}
