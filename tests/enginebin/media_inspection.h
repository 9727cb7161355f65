#pragma once
// Reads an engine output back with the FFmpeg libraries.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace enginebin_test {

struct AudioFacts {
  std::string format;  // demuxer name
  std::string codec;   // codec name
  int sample_rate = 0;
  int channels = 0;
  int64_t samples = 0;  // per channel, as a player decodes them (encoder delay removed)
  double seconds() const { return sample_rate > 0 ? static_cast<double>(samples) / sample_rate : 0; }
};

// nullopt when the file cannot be read or holds no audio.
std::optional<AudioFacts> inspect_audio(const std::string& path);

// The samples of a 16-bit PCM file (interleaved, as stored); empty when the file cannot be read
// or holds other audio.
std::vector<int16_t> decode_s16(const std::string& path);

// The decoded samples of any file, interleaved, as floats in [-1, 1]; empty when the file cannot
// be read.
std::vector<float> decode_samples(const std::string& path);

// Duration in microseconds as libavformat reports it for the file.
std::optional<int64_t> reported_duration(const std::string& path);

}  // namespace enginebin_test
