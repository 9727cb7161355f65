// The layout pass: where the video panel (and with it the player's window) lies in the control,
// by the display size, with the scroll bars and their corner box of the custom size.
#include <cmath>

#include "player/active_movie.h"
#include "player/flag_scope.h"

namespace {

// To the nearest integer, halves to the even neighbour.
int Round(double value) { return static_cast<int>(std::nearbyint(value)); }

struct VideoRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// Centred in the client area.
void Centre(VideoRect& rect, int clientWidth, int clientHeight) {
  rect.left = Round((clientWidth - rect.width) / 2.0);
  rect.top = Round((clientHeight - rect.height) / 2.0);
}

}  // namespace

void TActiveMovie::LayoutPass() {
  if (!movie_ || !videoPanel_) return;
  const int clientWidth = Width();
  const int clientHeight = Height();
  if (clientWidth == 0 || clientHeight == 0) return;

  if (!movieVisible_ || videoHidden_) {
    // Out of the control's visible area: no logo and no video, the sound plays on.
    videoPanel_->SetBounds(movie_->Width() + Left() + 500, movie_->Height() + Top() + 500, movie_->Width(),
                           movie_->Height());
    HideBars();
    return;
  }

  int nativeWidth = 0;
  int nativeHeight = 0;
  const bool sizedHere = OpenState() == nsOpen && !showControlsCache_ && (nativeWidth = NativeVideoWidth()) != 0 &&
                         (nativeHeight = NativeVideoHeight()) != 0;
  if (!sizedHere) {
    videoPanel_->SetBounds(0, 0, clientWidth, clientHeight);
    HideBars();
  } else {
    VideoRect rect;
    TDisplaySize mode = displaySize_;
    if (mode == TDisplaySize::mpDefaultSize || mode == TDisplaySize::mpHalfSize || mode == TDisplaySize::mpDoubleSize) {
      rect.width = mode == TDisplaySize::mpHalfSize     ? nativeWidth / 2
                   : mode == TDisplaySize::mpDoubleSize ? 2 * nativeWidth
                                                        : nativeWidth;
      rect.height = mode == TDisplaySize::mpHalfSize     ? nativeHeight / 2
                    : mode == TDisplaySize::mpDoubleSize ? 2 * nativeHeight
                                                         : nativeHeight;
      if (rect.width > clientWidth || rect.height > clientHeight)
        mode = TDisplaySize::mpFitToSize;  // what does not fit is fitted
      else
        Centre(rect, clientWidth, clientHeight);
    }
    if (mode == TDisplaySize::mpFitToSize) {
      const double ratio = static_cast<double>(nativeHeight) / nativeWidth;
      if (clientWidth - nativeWidth < clientHeight - nativeHeight) {
        rect.width = clientWidth;
        rect.height = Round(clientWidth * ratio);
      } else {
        rect.height = clientHeight;
        rect.width = Round(clientHeight / ratio);
      }
      Centre(rect, clientWidth, clientHeight);
    } else if (mode == TDisplaySize::mpCustomSize) {
      rect.width = Round(nativeWidth * zoomSize_ / 100.0);
      rect.height = Round(nativeHeight * zoomSize_ / 100.0);
      Centre(rect, clientWidth, clientHeight);
      if (showScrollBars_) {
        PlaceScrollBars(clientWidth, clientHeight, rect.width, rect.height, rect.left, rect.top);
      } else {
        if (horzFraction_ != 0.5 || vertFraction_ != 0.5) {
          if (rect.width > clientWidth) rect.left = Round((clientWidth - rect.width) * horzFraction_);
          if (rect.height > clientHeight) rect.top = Round((clientHeight - rect.height) * vertFraction_);
        }
        HideBars();
      }
    }
    videoPanel_->SetBounds(rect.left, rect.top, rect.width, rect.height);
    if (repaintOnMove_) videoPanel_->Repaint();
  }
  FillVideoPanel();
  repaintOnMove_ = false;
  Repaint();
}

// The bars of a zoomed video that does not fit; they lie over the video and leave its size alone.
void TActiveMovie::PlaceScrollBars(int width, int height, int zoomWidth, int zoomHeight, int& left, int& top) {
  if (!horzBar_ || !vertBar_ || !cornerBox_) return;
  const int thickness = scrollBarsThickness_;
  const bool horizontal = width < zoomWidth;
  const bool vertical = zoomHeight > height;
  {
    FlagScope placing(placingBars_);
    if (horizontal) {
      const int maximum = zoomWidth + (vertical ? thickness : 0);
      horzBar_->SetSmallChange(Round(zoomWidth / 50.0));
      horzBar_->SetLargeChange(Round(zoomWidth / 10.0));
      horzBar_->SetParams(Round(maximum * horzFraction_), 0, maximum);
      left = Round(static_cast<double>(width - zoomWidth) * horzBar_->Position() / zoomWidth);
    }
    if (vertical) {
      const int maximum = zoomHeight + (horizontal ? thickness : 0);
      vertBar_->SetSmallChange(Round(zoomHeight / 50.0));
      vertBar_->SetLargeChange(Round(zoomHeight / 10.0));
      vertBar_->SetParams(Round(maximum * vertFraction_), 0, maximum);
      top = Round(static_cast<double>(height - zoomHeight) * vertBar_->Position() / zoomHeight);
    }
  }
  if (horizontal && vertical) {
    cornerBox_->SetBounds(width - thickness, height - thickness, thickness, thickness);
    horzBar_->SetBounds(0, height - thickness, width - thickness, thickness);
    vertBar_->SetBounds(width - thickness, 0, thickness, height - thickness);
    cornerBox_->Show();
    horzBar_->Show();
    vertBar_->Show();
  } else if (horizontal) {
    horzBar_->SetBounds(0, height - thickness, width, thickness);
    horzBar_->Show();
    vertBar_->Hide();
    cornerBox_->Hide();
  } else if (vertical) {
    vertBar_->SetBounds(width - thickness, 0, thickness, height);
    vertBar_->Show();
    horzBar_->Hide();
    cornerBox_->Hide();
  } else {
    HideBars();
  }
}

void TActiveMovie::HideBars() {
  if (horzBar_) horzBar_->Hide();
  if (vertBar_) vertBar_->Hide();
  if (cornerBox_) cornerBox_->Hide();
}

// The player's window fills the video panel.
void TActiveMovie::FillVideoPanel() {
  if (movie_ && videoPanel_) movie_->SetBounds(0, 0, videoPanel_->Width(), videoPanel_->Height());
}

void TActiveMovie::HorzScrolled() {
  if (placingBars_ || displaySize_ != TDisplaySize::mpCustomSize || horzBar_->Max() <= 0) return;
  horzFraction_ = static_cast<double>(horzBar_->Position()) / horzBar_->Max();
  repaintOnMove_ = true;
  LayoutPass();
}

void TActiveMovie::VertScrolled() {
  if (placingBars_ || displaySize_ != TDisplaySize::mpCustomSize || vertBar_->Max() <= 0) return;
  vertFraction_ = static_cast<double>(vertBar_->Position()) / vertBar_->Max();
  repaintOnMove_ = true;
  LayoutPass();
}
