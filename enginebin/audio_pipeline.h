#pragma once
// The steps that turn the chosen audio stream of an opened input into encoded packets: seek to
// the start of the range, read, decode, resample, encode. Each step is one method; run() goes
// through them in order, and the caller decides where the packets go. The sequential engine runs
// them once over the whole range; each worker of the parallel engine runs them over its segment.

#include "audio_decoder.h"
#include "audio_encoder.h"
#include "av_handles.h"
#include "frame_assembler.h"
#include "resampler.h"
#include "start_trimmer.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>

namespace enginebin {

struct OutputSettings;

// The part of the range that one run of the pipeline works on. Input samples count from the
// range's first sample (at the input's rate), output samples from the output's first.
struct PipelineBounds {
  int64_t resample_from = 0;   // input samples: earlier ones are decoded, never resampled
  int64_t resampled_from = 0;  // output samples: where the resampler's first output falls
  int64_t encode_from = 0;     // output samples: earlier ones are resampled, never encoded
  int64_t encode_until = std::numeric_limits<int64_t>::max();  // output samples: the run stops here
  // The decoded audio must keep the input's rate and channels throughout (a worker's resampler
  // could not follow a change that happened before its segment).
  bool fixed_input_shape = false;
  // Unset: decode from the range's start, as the sequential engine does. Set: where the range's
  // first sample lies in the stream's own count of samples (its timestamps in samples); a run that
  // starts later in the range then seeks close to its start and places what it decodes by the
  // timestamps, and every run checks that the timestamps agree with the samples it counts.
  std::optional<int64_t> range_start_index;
};

class AudioPipeline {
 public:
  using PacketSink = std::function<void(AVPacket& packet)>;
  // Polled between packets; true ends the run with StopRequested.
  using StopCheck = std::function<bool()>;
  // in_turn: one thread does every step. ahead: reading and decoding run on threads of their own,
  // ahead of resampling and encoding, for the same output.
  enum class Reading { in_turn, ahead };

  // input is opened, with every stream but audio discarded; input_name names it in messages.
  AudioPipeline(AVFormatContext& input, AVStream& audio, const std::string& input_name, const OutputSettings& settings,
                const PipelineBounds& bounds);

  const AVCodecContext& encoder() const { return encoder_.context(); }

  // Seeks, then converts until the bounds are reached or the input runs out, and drains every
  // step. Each packet goes to the sink as soon as the encoder gives it. Returns true when the
  // input ran out first. Throws EngineError on any failure.
  bool run(const PacketSink& sink, const StopCheck& stop = nullptr, Reading reading = Reading::in_turn);

  // Output samples handed to the encoder, counted from bounds.encode_from.
  int64_t samples_encoded() const { return assembler_.samples_out(); }
  // Microseconds on the input's timeline (from its first timestamp): end of the latest decoded audio.
  int64_t decoded_end() const { return decoded_end_; }
  int damaged_packets() const { return decoder_.damaged_packets(); }
  // The stream's own index of the range's first sample (its timestamp in samples), once decoded.
  std::optional<int64_t> range_start_index() const { return range_start_index_; }

  class StopRequested {};

 private:
  void seek();
  // Returns true when the input ran out, false when the bounds were reached first.
  bool read(const StopCheck& stop);
  bool read_ahead(const StopCheck& stop);
  void check_stop(const StopCheck& stop) const;
  void decode(const AVPacket* packet);
  void resample(const AVFrame& frame);
  void encode(uint8_t* const* data, int sample_count);
  void drain(bool input_ran_out);

  void encode_frames(bool at_end);
  std::optional<int64_t> frame_time(const AVFrame& frame) const;
  void check_shape(const AVFrame& frame);
  // Where the frame's kept samples start in the range (input samples), and how many it drops.
  struct Placement {
    int64_t first_kept = 0;
    int dropped = 0;
  };
  Placement place(const AVFrame& frame, std::optional<int64_t> time);
  Placement place_by_timestamp(const AVFrame& frame);
  std::optional<int64_t> stream_index_of(const AVFrame& frame) const;

  AVFormatContext& input_;
  AVStream& audio_;
  const std::string& input_name_;
  const OutputSettings& settings_;
  const PipelineBounds bounds_;
  const int64_t input_start_;  // microseconds: the input timeline's zero

  AudioDecoder decoder_;
  StartTrimmer trimmer_;
  Resampler resampler_;
  AudioEncoder encoder_;
  FrameAssembler assembler_;
  PacketPtr packet_;
  const PacketSink* sink_ = nullptr;  // set during run()

  int64_t kept_ = 0;     // input samples: where the next decoded one falls in the range
  bool placed_ = false;  // a frame has been placed by its timestamp
  std::optional<int64_t> range_start_index_;
  FramePtr first_shape_;   // the format, rate and layout of the first decoded frame, without samples
  int64_t resampled_ = 0;  // output samples: where the next resampled one falls
  int64_t decoded_end_ = 0;
};

// Bounds of a run over the whole range (the sequential engine).
PipelineBounds whole_range(const OutputSettings& settings);

}  // namespace enginebin
