// The automation faces of OLE fonts and pictures: IFontDisp and IPictureDisp, read and written
// through their dispatch ids.
#pragma once

#include "platform/com/automation.h"

inline constexpr IID IID_IFontDisp = {0xBEF6E003, 0xA874, 0x101A, {0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
inline constexpr IID IID_IPictureDisp = {0x7BF80981, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

struct IFontDisp : IDispatch {};
COM_INTERFACE_ID(IFontDisp, IID_IFontDisp);
struct IPictureDisp : IDispatch {};
COM_INTERFACE_ID(IPictureDisp, IID_IPictureDisp);

// Font properties: the name is VT_BSTR, the size VT_CY in points, the styles VT_BOOL, the weight
// and the character set VT_I2.
constexpr DISPID DISPID_FONT_NAME = 0;
constexpr DISPID DISPID_FONT_SIZE = 2;
constexpr DISPID DISPID_FONT_BOLD = 3;
constexpr DISPID DISPID_FONT_ITALIC = 4;
constexpr DISPID DISPID_FONT_UNDER = 5;
constexpr DISPID DISPID_FONT_STRIKE = 6;
constexpr DISPID DISPID_FONT_WEIGHT = 7;
constexpr DISPID DISPID_FONT_CHARSET = 8;

// Picture properties: the type VT_I2, width and height VT_I4 in HIMETRIC.
constexpr DISPID DISPID_PICT_HANDLE = 0;
constexpr DISPID DISPID_PICT_TYPE = 3;
constexpr DISPID DISPID_PICT_WIDTH = 4;
constexpr DISPID DISPID_PICT_HEIGHT = 5;
constexpr SHORT PICTYPE_NONE = 0;
constexpr SHORT PICTYPE_BITMAP = 1;
