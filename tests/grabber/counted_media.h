// Video whose every frame says which it is (the graph tests' counted clips): 320x240 at 25 frames
// a second. The upper half carries the frame number in binary, eight columns of 40 pixels, bit k
// white in column k; the lower half three bands of pure red, green and blue from left to right.
// Losslessly coded in RGB, so that a captured frame can be compared with what it must show.
#pragma once

#include <QImage>
#include <string>

namespace grabber_test {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kFramesPerSecond = 25;

// counted.mkv (the clip above) or counted_short.mkv (its first 2 s).
std::string CountedClip(const std::string& name = "counted.mkv");

// The frame number that the picture shows (read at the middle of each column's upper half).
int FrameNumber(const QImage& image);
// What frame n shows at (x, y), as 0xRRGGBB.
unsigned ExpectedColour(int frame, int x, int y);
// The share of pixels (0..1) whose channels all lie within tolerance of what the frame shows; the
// pixels within margin of an edge between two colours are left out.
double MatchingShare(const QImage& image, int frame, int tolerance, int margin = 0);

}  // namespace grabber_test
