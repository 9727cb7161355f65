// Reading what the audio device was given (SDL's disk driver writes it to a file in real time) when
// the file played is the timed sound of test_media.h: its right channel numbers every sample.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dshow_test {

class HeardSound {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  explicit HeardSound(std::vector<int16_t> samples) : samples_(std::move(samples)) {}

  std::size_t Frames() const { return samples_.size() / 2; }
  // Both channels zero: the device played silence there.
  bool Silent(std::size_t frame) const { return samples_[2 * frame] == 0 && samples_[2 * frame + 1] == 0; }
  // The first frame from which a few frames in a row are sound; npos when there is none.
  std::size_t FirstSound(std::size_t from = 0) const;
  // The last frame of sound, or npos.
  std::size_t LastSound() const;
  // The number of the file's sample heard at that frame: the one nearest to the hint that the
  // right channel's count allows.
  int64_t SourceSample(std::size_t frame, int64_t hint) const;
  // How many frames from that one go on with the following samples of the file, one by one.
  std::size_t ContinuousRun(std::size_t frame) const;
  // The tone's pitch (Hz) over that stretch of frames, from the left channel's zero crossings.
  double Pitch(std::size_t frame, std::size_t length, int rate) const;

 private:
  std::vector<int16_t> samples_;
};

}  // namespace dshow_test
