// Media for the player's tests, made with the ffmpeg program once per run in a scratch folder.
// The sound says where in the file it comes from: second k of every clip with audio is a tone of
// ToneFrequency(k), so what was heard tells which part of the file was played.
#pragma once

#include <string>

namespace mediaplayer_test {

constexpr int kToneSeconds = 12;
constexpr double ToneFrequency(int second) { return 300.0 + 150.0 * second; }

// By name:
//   tone.mp4       12 s of 320x240 H.264 video at 25 frames per second with the stepped tone (AAC)
//   tone.m4a       the stepped tone alone
//   video.mp4      4 s of video without sound
//   broken.mp4     bytes that are no media
//   truncated.mp4  the first part of tone.mp4, cut in its media data
std::string TestMedia(const std::string& name);

// A path in the scratch folder where nothing is (a file that vanished).
std::string MissingMedia();

}  // namespace mediaplayer_test
