#include "platform/mediaplayer/display_layout.h"

#include <algorithm>
#include <cmath>

namespace mediaplayer {
namespace {

// The largest size of the video's shape within bounds.
PixelSize FitInside(PixelSize video, double boundWidth, double boundHeight) {
  const double scale = std::min(boundWidth / video.width, boundHeight / video.height);
  return {std::max(1, static_cast<int>(std::lround(video.width * scale))),
          std::max(1, static_cast<int>(std::lround(video.height * scale)))};
}

}  // namespace

PixelSize PreferredVideoSize(LONG displaySize, PixelSize video, PixelSize screen) {
  if (video.width <= 0 || video.height <= 0) return {};
  switch (displaySize) {
    case mpHalfSize: return {std::max(1, video.width / 2), std::max(1, video.height / 2)};
    case mpDoubleSize: return {video.width * 2, video.height * 2};
    case mpOneSixteenthScreen: return FitInside(video, screen.width / 4.0, screen.height / 4.0);
    case mpOneFourthScreen: return FitInside(video, screen.width / 2.0, screen.height / 2.0);
    case mpOneHalfScreen: return FitInside(video, screen.width * M_SQRT1_2, screen.height * M_SQRT1_2);
    default: return video;
  }
}

RECT VideoRectangle(LONG displaySize, PixelSize video, PixelSize area, PixelSize screen) {
  if (video.width <= 0 || video.height <= 0 || area.width <= 0 || area.height <= 0) return {0, 0, 0, 0};
  PixelSize size = PreferredVideoSize(displaySize, video, screen);
  if (displaySize == mpFitToSize || displaySize == mpFullScreen || size.width > area.width || size.height > area.height)
    size = FitInside(video, area.width, area.height);
  size.width = std::min(size.width, area.width);
  size.height = std::min(size.height, area.height);
  const LONG left = (area.width - size.width) / 2;
  const LONG top = (area.height - size.height) / 2;
  return {left, top, left + size.width, top + size.height};
}

}  // namespace mediaplayer
