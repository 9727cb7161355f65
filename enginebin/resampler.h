#pragma once
// Converts decoded audio to the output's sample format, rate and channels, applying the volume.
// Set up from the first frame it sees, and again whenever the decoder's output changes shape.

#include "av_handles.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace enginebin {

struct OutputSettings;

class Resampler {
 public:
  // Receives converted samples in the output's format; the data is valid during the call only.
  using Sink = std::function<void(uint8_t* const* data, int sample_count)>;

  explicit Resampler(const OutputSettings& settings);
  ~Resampler();
  Resampler(const Resampler&) = delete;
  Resampler& operator=(const Resampler&) = delete;

  // Converts the frame's samples from first_sample on.
  void convert(const AVFrame& frame, int first_sample, const Sink& sink);
  // Hands out what the resampling filter still holds at the end of the input.
  void flush(const Sink& sink);

 private:
  bool matches(const AVFrame& frame) const;
  void configure(const AVFrame& frame);
  void run(const uint8_t** input, int sample_count, const Sink& sink);
  void reserve(int sample_count);

  AVSampleFormat output_format_;
  int output_rate_;
  AVChannelLayout output_layout_{};
  double gain_;

  ResamplerPtr context_;
  AVSampleFormat input_format_ = AV_SAMPLE_FMT_NONE;
  int input_rate_ = 0;
  AVChannelLayout decoded_layout_{};  // as the decoder gives it, to tell a change of shape
  AVChannelLayout input_layout_{};    // as the resampler takes it: a layout that names its channels
  FramePtr buffer_;                   // output samples of one conversion
  int buffer_capacity_ = 0;           // samples
  std::vector<const uint8_t*> input_planes_;
};

}  // namespace enginebin
