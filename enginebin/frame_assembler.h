#pragma once
// Regroups converted samples into frames of the size the encoder wants, through a sample FIFO.

#include "av_handles.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace enginebin {

class FrameAssembler {
 public:
  using FrameSink = std::function<void(AVFrame& frame)>;

  // frame_size: samples per frame. pad_last_frame: the encoder takes full frames only, so the
  // last one is filled up with silence.
  FrameAssembler(AVSampleFormat format, const AVChannelLayout& layout, int sample_rate, int frame_size,
                 bool pad_last_frame);

  void push(uint8_t* const* data, int sample_count);
  // Queues sample_count samples from the first_sample-th on.
  void push_from(uint8_t* const* data, int first_sample, int sample_count);
  // Hands out every full frame; with at_end, also what is left over.
  void pull(const FrameSink& sink, bool at_end);

  // Samples handed out so far, padding excluded.
  int64_t samples_out() const { return samples_out_; }

 private:
  AVSampleFormat format_;
  int sample_rate_;
  int frame_size_;
  bool pad_last_frame_;
  AVChannelLayout layout_{};
  AudioFifoPtr fifo_;
  FramePtr frame_;
  std::vector<uint8_t*> offset_planes_;
  int64_t samples_out_ = 0;
};

}  // namespace enginebin
