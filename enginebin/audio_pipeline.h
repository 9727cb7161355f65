#pragma once
// The steps that turn the chosen audio stream of an opened input into encoded packets: seek to
// the start of the range, read, decode, resample, encode. Each step is one method; run() goes
// through them in order, and the caller decides where the packets go.

#include "audio_decoder.h"
#include "audio_encoder.h"
#include "av_handles.h"
#include "frame_assembler.h"
#include "resampler.h"
#include "start_trimmer.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace enginebin {

struct OutputSettings;

class AudioPipeline {
 public:
  using PacketSink = std::function<void(AVPacket& packet)>;

  // input is opened, with every stream but audio discarded; input_name names it in messages.
  AudioPipeline(AVFormatContext& input, AVStream& audio, const std::string& input_name, const OutputSettings& settings);

  const AVCodecContext& encoder() const { return encoder_.context(); }

  // Seeks, then converts until the range is complete or the input runs out, and drains every
  // step. Each packet goes to the sink as soon as the encoder gives it. Returns true when the
  // input ran out before the range was complete. Throws EngineError on any failure.
  bool run(const PacketSink& sink);

  int64_t samples_accepted() const { return samples_accepted_; }
  int64_t samples_encoded() const { return assembler_.samples_out(); }
  // Microseconds on the input's timeline (from its first timestamp): end of the latest decoded audio.
  int64_t decoded_end() const { return decoded_end_; }
  int damaged_packets() const { return decoder_.damaged_packets(); }

 private:
  void seek();
  // Returns true when the input ran out, false when the requested range was complete first.
  bool read();
  void decode(const AVPacket* packet);
  void resample(const AVFrame& frame);
  void encode(uint8_t* const* data, int sample_count);
  void drain(bool input_ran_out);

  void encode_frames(bool at_end);
  std::optional<int64_t> frame_time(const AVFrame& frame) const;

  AVFormatContext& input_;
  AVStream& audio_;
  const std::string& input_name_;
  const OutputSettings& settings_;
  const int64_t input_start_;   // microseconds: the input timeline's zero
  const int64_t sample_limit_;  // output samples the range asks for

  AudioDecoder decoder_;
  StartTrimmer trimmer_;
  Resampler resampler_;
  AudioEncoder encoder_;
  FrameAssembler assembler_;
  PacketPtr packet_;
  const PacketSink* sink_ = nullptr;  // set during run()

  int64_t samples_accepted_ = 0;  // output samples passed to the encoder's FIFO
  int64_t decoded_end_ = 0;       // microseconds: end of the latest decoded audio
};

}  // namespace enginebin
