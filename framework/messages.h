// Messages of the framework: the message record that window procedures of controls work on, and the
// framework's own notifications.
#pragma once

#include "platform/win32/user32.h"

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

// Notifications between the framework and its controls, numbered from CM_BASE.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_DIALOGKEY = CM_BASE + 0x05;  // WParam key code, LParam key data; Result 1 = handled
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 0x08;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 0x09;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 0x0B;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 0x0C;
constexpr UINT CM_COLORCHANGED = CM_BASE + 0x0D;
constexpr UINT CM_FONTCHANGED = CM_BASE + 0x0E;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 0x12;
constexpr UINT CM_HOSTUIACTIVATE = CM_BASE + 0x29;    // sent by the form after it gave a window the focus
constexpr UINT CM_HOSTUIDEACTIVATE = CM_BASE + 0x2A;  // the focus moves to another control
constexpr UINT CM_HOSTDOCACTIVATE = CM_BASE + 0x2B;   // the form became active (WParam 1) or inactive (0)

// Messages that the framework sends back to the control they concern: CN_BASE + the message.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSKEYUP = CN_BASE + WM_SYSKEYUP;
