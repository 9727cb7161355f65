#pragma once
// The output's encoder, opened from the checked settings.

#include "av_handles.h"

#include <functional>

namespace enginebin {

struct OutputSettings;

class AudioEncoder {
 public:
  using PacketSink = std::function<void(AVPacket& packet)>;

  explicit AudioEncoder(const OutputSettings& settings);

  const AVCodecContext& context() const { return *context_; }
  // Samples per frame that encode() expects (the last frame may be shorter unless
  // needs_full_frames()).
  int frame_size() const { return frame_size_; }
  bool needs_full_frames() const { return needs_full_frames_; }

  // Encodes one frame and passes on every packet that becomes ready. nullptr drains the encoder.
  void encode(const AVFrame* frame, const PacketSink& sink);

 private:
  CodecContextPtr context_;
  PacketPtr packet_;
  int frame_size_ = 0;
  bool needs_full_frames_ = false;
};

}  // namespace enginebin
