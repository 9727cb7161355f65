// Clips the command's tests need beyond the engine's own test clips, and what they read back.
#pragma once

#include <map>
#include <string>

namespace cli_test {

// Three seconds of video with two audio tracks: 440 Hz (English, "Main") then 1000 Hz (French,
// "Commentary").
std::string two_track_clip();
// Three seconds of audio and video with a title, artist, album, date and comment.
std::string tagged_clip();
// Ten seconds of stereo pink noise, far below the usual loudness.
std::string quiet_noise();

// The tags of the file and of its first audio stream, keys in lower case.
std::map<std::string, std::string> tags_of(const std::string& path);

// The bytes of every packet of the Nth audio stream (from 1), one after another.
std::string audio_packet_bytes(const std::string& path, int track = 1);

// The integrated loudness (LUFS) and true peak (dBTP) that the ffmpeg program measures.
struct Loudness {
  double integrated = 0;
  double true_peak = 0;
};
Loudness measured_loudness(const std::string& path);

// The frequency of a sine tone in a 16-bit PCM file, from its zero crossings (first channel).
double tone_frequency(const std::string& wav);

}  // namespace cli_test
