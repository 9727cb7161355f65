// The window table behind the user32 stand-in; internal to platform/win32.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/win32/user32.h"

namespace win32::detail {

struct WindowEntry {
  HWND handle = nullptr;
  QPointer<QWidget> widget;
  bool ownsWidget = false;
  std::string className;
  WNDPROC procedure = nullptr;
  LONG style = 0;
  LONG exStyle = 0;
  LONG_PTR id = 0;
  LONG_PTR userData = 0;
  HINSTANCE instance = nullptr;
  std::string text;
};

// A copy of the window's entry; false when the handle names no window.
bool FindWindow(HWND window, WindowEntry& entry);
WNDPROC ProcedureOf(HWND window);
bool SetText(HWND window, const std::string& text);
// The bound windows among the widget's descendants, depth first in widget order.
std::vector<HWND> DescendantWindows(const QWidget* widget);
std::vector<HWND> TopLevelWindows();
bool OnGuiThread();
// Delivers a message through the window's current procedure on the calling (GUI) thread.
LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void StampMessageTime();
// Routes the Qt events of a bound widget into its window procedure.
void InstallEventBridge(QWidget* widget);

}  // namespace win32::detail
