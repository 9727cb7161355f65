#include "conversion.h"

#include "audio_decoder.h"
#include "audio_encoder.h"
#include "console.h"
#include "engine_error.h"
#include "frame_assembler.h"
#include "input_report.h"
#include "interruption.h"
#include "output_file.h"
#include "output_settings.h"
#include "progress.h"
#include "resampler.h"
#include "start_trimmer.h"
#include "time_code.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace enginebin {
namespace {

// Decoding starts this far before the requested start, so that decoders which build on earlier
// frames (overlapping transforms, bit reservoirs) are settled when the first kept sample comes.
constexpr int64_t kSeekPreroll = 500'000;  // microseconds

// An input whose audio stops this much short of its declared length is taken as cut off.
constexpr int64_t kTruncationTolerance = 1'000'000;  // microseconds
constexpr int64_t kTruncationTolerancePercent = 5;

class AudioConversion {
 public:
  AudioConversion(AVFormatContext& input, AVStream& audio, const std::string& input_name,
                  const OutputSettings& settings, OutputFileGuard& guard)
      : input_(input), audio_(audio), input_name_(input_name), settings_(settings),
        input_start_(input.start_time == AV_NOPTS_VALUE ? 0 : input.start_time),
        sample_limit_(settings.duration ? av_rescale(*settings.duration, settings.sample_rate, AV_TIME_BASE)
                                        : std::numeric_limits<int64_t>::max()),
        decoder_(audio, input_name), trimmer_(settings.start), resampler_(settings), encoder_(settings),
        assembler_(settings.sample_format, settings.channel_layout, settings.sample_rate, encoder_.frame_size(),
                   encoder_.needs_full_frames()),
        packet_(allocate_packet()) {
    refuse_start_beyond_end();
    write_console(output_report(settings));
    output_.emplace(settings, encoder_.context(), guard);
  }

  void run() {
    seek_to_start();
    const bool reached_end_of_input = read_and_convert();
    if (reached_end_of_input) {
      decoder_.decode(nullptr, on_frame());
      resampler_.flush(on_samples());
    }
    assembler_.pull(on_encoder_frame(), true);
    encoder_.encode(nullptr, on_packet());
    check_something_was_written();
    if (reached_end_of_input) check_not_truncated();
    output_->finish();
    progress_.finish(progress());
  }

 private:
  // Microseconds on the input's timeline, from its first timestamp.
  std::optional<int64_t> frame_time(const AVFrame& frame) const {
    const int64_t timestamp = frame.best_effort_timestamp;
    if (timestamp == AV_NOPTS_VALUE) return std::nullopt;
    return av_rescale_q(timestamp, audio_.time_base, AV_TIME_BASE_Q) - input_start_;
  }

  // Declared length of the audio in microseconds, when the input states one worth trusting.
  std::optional<int64_t> declared_length() const {
    if (audio_.duration != AV_NOPTS_VALUE && audio_.duration > 0) {
      int64_t length = av_rescale_q(audio_.duration, audio_.time_base, AV_TIME_BASE_Q);
      if (audio_.start_time != AV_NOPTS_VALUE)
        length += av_rescale_q(audio_.start_time, audio_.time_base, AV_TIME_BASE_Q) - input_start_;
      return length;
    }
    // A length estimated from the bit rate is a guess, not a statement.
    if (input_.duration != AV_NOPTS_VALUE && input_.duration > 0 &&
        input_.duration_estimation_method != AVFMT_DURATION_FROM_BITRATE)
      return input_.duration;
    return std::nullopt;
  }

  void refuse_start_beyond_end() const {
    if (settings_.start == 0) return;
    if (const auto length = declared_length(); length && settings_.start >= *length)
      throw EngineError(format_text("The start %s lies beyond the end of '%s' (%s)",
                                    format_duration(settings_.start).c_str(), input_name_.c_str(),
                                    format_duration(*length).c_str()));
  }

  void seek_to_start() {
    if (settings_.start == 0) return;
    const int64_t target = input_start_ + std::max<int64_t>(settings_.start - kSeekPreroll, 0);
    // Lands on a key frame at or before the target; the trimmer drops what comes too early.
    // Inputs that cannot seek are read from the beginning instead, which is slower but as exact.
    if (avformat_seek_file(&input_, -1, std::numeric_limits<int64_t>::min(), target, target, 0) < 0)
      avformat_seek_file(&input_, -1, std::numeric_limits<int64_t>::min(), input_start_, input_start_, 0);
  }

  // Returns true when the input ran out, false when the requested range was complete first.
  bool read_and_convert() {
    for (;;) {
      if (interruption_requested()) throw EngineError(interruption_text(input_name_));
      if (samples_accepted_ >= sample_limit_) return false;
      const int result = av_read_frame(&input_, packet_.get());
      if (result == AVERROR_EOF) return true;
      check_av(result, "Could not read", input_name_);
      if (packet_->stream_index == audio_.index) decoder_.decode(packet_.get(), on_frame());
      av_packet_unref(packet_.get());
    }
  }

  AudioDecoder::FrameSink on_frame() {
    return [this](AVFrame& frame) {
      const auto time = frame_time(frame);
      const int64_t length = av_rescale(frame.nb_samples, AV_TIME_BASE, frame.sample_rate);
      decoded_end_ = time ? std::max(decoded_end_, *time + length) : decoded_end_ + length;
      const int dropped = trimmer_.samples_to_drop(time, frame.nb_samples, frame.sample_rate);
      resampler_.convert(frame, dropped, on_samples());
    };
  }

  Resampler::Sink on_samples() {
    return [this](uint8_t* const* data, int sample_count) {
      const int64_t room = sample_limit_ - samples_accepted_;
      const int accepted = static_cast<int>(std::min<int64_t>(sample_count, room));
      if (accepted <= 0) return;
      assembler_.push(data, accepted);
      samples_accepted_ += accepted;
      assembler_.pull(on_encoder_frame(), false);
    };
  }

  FrameAssembler::FrameSink on_encoder_frame() {
    return [this](AVFrame& frame) { encoder_.encode(&frame, on_packet()); };
  }

  AudioEncoder::PacketSink on_packet() {
    return [this](AVPacket& packet) {
      output_->write(packet, encoder_.context().time_base);
      progress_.update(progress());
    };
  }

  Progress progress() const {
    return Progress{output_->size(), static_cast<double>(assembler_.samples_out()) / settings_.sample_rate};
  }

  void check_something_was_written() const {
    if (samples_accepted_ > 0) return;
    if (settings_.start > 0)
      throw EngineError(format_text("The start %s lies beyond the end of the audio of '%s'",
                                    format_duration(settings_.start).c_str(), input_name_.c_str()));
    if (decoder_.damaged_packets() > 0)
      throw EngineError(format_text("No audio could be decoded from '%s' (%d damaged packets)", input_name_.c_str(),
                                    decoder_.damaged_packets()));
    throw EngineError("No audio could be decoded from '" + input_name_ + "' (the stream is empty)");
  }

  // The input ended: fail if it ended well before what it declares and what was asked for.
  void check_not_truncated() const {
    const auto declared = declared_length();
    if (!declared) return;
    int64_t expected_end = *declared;
    if (settings_.duration) expected_end = std::min(expected_end, settings_.start + *settings_.duration);
    const int64_t tolerance = std::max(kTruncationTolerance, *declared * kTruncationTolerancePercent / 100);
    if (expected_end - decoded_end_ > tolerance)
      throw EngineError(
          format_text("The audio of '%s' ends at %s although the file declares %s "
                      "(the file is truncated or damaged)",
                      input_name_.c_str(), format_duration(decoded_end_).c_str(), format_duration(*declared).c_str()));
  }

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
  std::optional<OutputFile> output_;
  PacketPtr packet_;
  ProgressPrinter progress_;

  int64_t samples_accepted_ = 0;  // output samples passed to the encoder's FIFO
  int64_t decoded_end_ = 0;       // microseconds: end of the latest decoded audio
};

}  // namespace

void convert_audio(AVFormatContext& input, AVStream& audio, const std::string& input_name,
                   const OutputSettings& settings, OutputFileGuard& guard) {
  AudioConversion conversion(input, audio, input_name, settings, guard);
  conversion.run();
}

}  // namespace enginebin
