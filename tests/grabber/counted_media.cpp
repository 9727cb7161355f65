#include "tests/grabber/counted_media.h"

#include <algorithm>
#include <cstdlib>

#include "tests/dshow/test_media.h"

namespace grabber_test {
namespace {

constexpr int kColumn = 40;
constexpr int kRedEnd = 107;    // first column of the green band
constexpr int kGreenEnd = 213;  // first column of the blue band

}  // namespace

std::string CountedClip(const std::string& name) { return dshow_test::Clip(name); }

int FrameNumber(const QImage& image) {
  int number = 0;
  for (int bit = 0; bit < kWidth / kColumn; ++bit) {
    const QColor colour = image.pixelColor(image.width() * (bit * kColumn + kColumn / 2) / kWidth, image.height() / 4);
    if (colour.lightness() > 128) number |= 1 << bit;
  }
  return number;
}

unsigned ExpectedColour(int frame, int x, int y) {
  if (y < kHeight / 2) return (frame >> (x / kColumn)) & 1 ? 0xFFFFFFu : 0u;
  if (x < kRedEnd) return 0xFF0000u;
  if (x < kGreenEnd) return 0x00FF00u;
  return 0x0000FFu;
}

double MatchingShare(const QImage& image, int frame, int tolerance, int margin) {
  const auto close = [tolerance](unsigned a, unsigned b) {
    for (int shift : {0, 8, 16})
      if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
        return false;
    return true;
  };
  long matching = 0, counted = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const unsigned expected = ExpectedColour(frame, x, y);
      bool nearEdge = false;
      for (int dy = -margin; dy <= margin && !nearEdge; ++dy)
        for (int dx = -margin; dx <= margin && !nearEdge; ++dx) {
          const int nx = std::clamp(x + dx, 0, kWidth - 1), ny = std::clamp(y + dy, 0, kHeight - 1);
          nearEdge = ExpectedColour(frame, nx, ny) != expected;
        }
      if (nearEdge) continue;
      ++counted;
      if (close(image.pixel(x, y) & 0xFFFFFFu, expected)) ++matching;
    }
  }
  return counted ? static_cast<double>(matching) / counted : 0.0;
}

}  // namespace grabber_test
