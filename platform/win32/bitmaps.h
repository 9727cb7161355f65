// GDI bitmap headers: the layout of device-independent bitmaps as media types and image files use it.
#pragma once

#include "platform/win32/wintypes.h"

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_BITFIELDS = 3;

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;  // positive: bottom-up rows; negative: top-down
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;  // BI_RGB, BI_BITFIELDS or a FOURCC
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

namespace win32 {
// Bytes of one row of an uncompressed bitmap: rows are padded to whole DWORDs.
constexpr DWORD DibRowBytes(LONG width, WORD bitCount) {
  return ((static_cast<DWORD>(width < 0 ? -width : width) * bitCount + 31) / 32) * 4;
}
}  // namespace win32
