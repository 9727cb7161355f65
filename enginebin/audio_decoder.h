#pragma once
// The decoder of the chosen input stream, in the send-packet / receive-frame style.

#include "av_handles.h"

#include <functional>
#include <string>

namespace enginebin {

class AudioDecoder {
 public:
  using FrameSink = std::function<void(AVFrame& frame)>;

  // input_name names the file in messages.
  AudioDecoder(const AVStream& stream, const std::string& input_name);
  // For packets that are not read from a file: of these parameters, timed in time_base.
  AudioDecoder(const AVCodecParameters& parameters, AVRational time_base, const std::string& input_name);

  // Decodes one packet and passes on every frame it yields; nullptr drains the decoder.
  // A damaged packet is skipped and counted: one bad spot must not lose the whole file.
  void decode(const AVPacket* packet, const FrameSink& sink);

  int damaged_packets() const { return damaged_packets_; }

 private:
  void receive_frames(const FrameSink& sink);

  std::string input_name_;
  CodecContextPtr context_;
  FramePtr frame_;
  int damaged_packets_ = 0;
};

}  // namespace enginebin
