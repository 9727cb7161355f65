// The program's glyphs, picture and icon, drawn in code and registered under the names the window
// layouts use (@GLYPH_START, ...).
#pragma once

#include <QImage>

// Safe to call more than once.
void RegisterProgramPictures();

// The icon of the main window: 32 x 32 pixels in 16 colours, index 0 transparent; at a device pixel
// ratio, the same with that many times the pixels each way.
QImage MainIcon(qreal ratio = 1.0);
// The same picture for the desktop's menus and file manager: size x size, full colour with alpha.
QImage DesktopIcon(int size);
