// Where the video goes in the control's window for each display size.
#pragma once

#include "platform/mediaplayer/media_player.h"
#include "platform/win32/user32.h"

namespace mediaplayer {

struct PixelSize {
  int width = 0;
  int height = 0;
};

// The size the display size asks for: the native size, half or double of it, or (for the screen
// fractions) the largest size of the video's shape within that part of the screen. Full screen and
// fit-to-size ask for the native size (they take what they are given).
PixelSize PreferredVideoSize(LONG displaySize, PixelSize video, PixelSize screen);

// The video's rectangle in an area of the given size: fit-to-size fills the area keeping the
// video's shape; every other size is its preferred size, made smaller (keeping the shape) when it
// does not fit; centred. Empty when there is no video or no area.
RECT VideoRectangle(LONG displaySize, PixelSize video, PixelSize area, PixelSize screen);

}  // namespace mediaplayer
