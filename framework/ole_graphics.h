// The OLE faces of the framework's fonts and pictures, as hosted controls take them.
#pragma once

#include "framework/graphics.h"
#include "platform/com/ole_graphics.h"

// An OLE font with the font's face name, size in points, bold, italic, underline, strikeout,
// weight and character set, read through IFontDisp's dispatch ids (it takes no changes).
ComPtr<IFontDisp> GetOleFont(const TFont& font);
// An OLE picture of the picture as it is now: its type and its size in HIMETRIC. The picture is
// linked to OLE from then on.
ComPtr<IPictureDisp> GetOlePicture(TPicture& picture);
