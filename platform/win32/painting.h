// Painting: device contexts, BeginPaint/EndPaint and solid brushes.
//
// A device context draws into the widget of its window while that widget is being painted (inside
// the WM_PAINT that a Qt paint event delivers); outside a paint event it draws nothing, as a
// window without an invalid region shows nothing of it.
#pragma once

#include "platform/win32/user32.h"

class QPainter;

struct HDC__;
using HDC = HDC__*;
using HGDIOBJ = HANDLE;
using COLORREF = DWORD;  // 0x00BBGGRR

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};

HDC WINAPI BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint);
// Fills the rectangle (right and bottom edges excluded); 0 when dc or brush is not one.
int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush);
HBRUSH WINAPI CreateSolidBrush(COLORREF color);
BOOL WINAPI DeleteObject(HGDIOBJ object);

namespace win32 {
// The painter behind a device context; null when the context draws nothing or is not one.
QPainter* PainterFromDC(HDC dc);
}  // namespace win32
