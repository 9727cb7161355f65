// Media made for the tests with the ffmpeg program, once per test run, in a scratch folder that
// goes when the run ends.
#pragma once

#include <string>

namespace dshow_test {

// Clips by name:
//   timed.wav      6 s of 16-bit stereo PCM at 48 kHz whose sound tells its own time: the left
//                  channel is a tone whose pitch steps up every second (300 Hz + 100 Hz per
//                  second), the right channel counts the sample number modulo 65536
//   timed.mkv      the same sound beside 98x64 pictures at 10 frames a second whose brightness
//                  gives the frame number (frame n is grey 16 + 8 n), losslessly coded
//   clip.mp4       3 s of H.264 and AAC, 160x120, as a camera or a download would have it
//   video_only.mkv 2 s of the pictures of timed.mkv without sound
//   audio_only.m4a 2 s of AAC sound
//   raw.h264       2 s of a bare H.264 stream, whose length nothing tells
//   truncated.mp4  the first half of a longer H.264 + AAC file whose index comes first
//   junk.avi       bytes that are no media; empty.avi: no bytes at all
//   counted.mkv    4 s of 320x240 pictures at 25 frames a second, each showing its frame number
//                  in binary above three bands of red, green and blue, losslessly coded in RGB,
//                  with a quiet tone; counted_short.mkv: its first 2 s
std::string Clip(const std::string& name);

// The scratch folder (for files a test makes itself).
std::string ScratchFolder();

// Sample rate and channels of the timed sound.
constexpr int kTimedRate = 48000;
constexpr int kTimedChannels = 2;
// Pitch (Hz) of the timed sound's tone during second s.
constexpr double TimedPitch(int second) { return 300.0 + 100.0 * second; }

}  // namespace dshow_test
