#include "audio_pipeline.h"

#include "decode_ahead.h"
#include "engine_error.h"
#include "input_file.h"
#include "interruption.h"
#include "output_settings.h"

#include <algorithm>

namespace enginebin {
namespace {

// Decoding starts this far before the requested start, so that decoders which build on earlier
// frames (overlapping transforms, bit reservoirs) are settled when the first kept sample comes.
constexpr int64_t kSeekPreroll = 500'000;  // microseconds
// A run that seeks into the range must decode at least this much before its first kept sample.
constexpr int64_t kDecoderSettling = 200'000;  // microseconds

}  // namespace

PipelineBounds whole_range(const OutputSettings& settings) {
  PipelineBounds bounds;
  if (settings.duration) bounds.encode_until = av_rescale(*settings.duration, settings.sample_rate, AV_TIME_BASE);
  return bounds;
}

AudioPipeline::AudioPipeline(AVFormatContext& input, AVStream& audio, const std::string& input_name,
                             const OutputSettings& settings, const PipelineBounds& bounds)
    : input_(input), audio_(audio), input_name_(input_name), settings_(settings), bounds_(bounds),
      input_start_(input_start_time(input)), decoder_(audio, input_name), trimmer_(settings.start),
      resampler_(settings), encoder_(settings),
      assembler_(settings.sample_format, settings.channel_layout, settings.sample_rate, encoder_.frame_size(),
                 encoder_.needs_full_frames()),
      packet_(allocate_packet()), resampled_(bounds.resampled_from) {}

bool AudioPipeline::run(const PacketSink& sink, const StopCheck& stop, Reading reading) {
  sink_ = &sink;
  seek();
  const bool input_ran_out = reading == Reading::ahead ? read_ahead(stop) : read(stop);
  drain(input_ran_out);
  sink_ = nullptr;
  return input_ran_out;
}

void AudioPipeline::seek() {
  if (bounds_.range_start_index && bounds_.resample_from > 0) {
    const int rate = audio_.codecpar->sample_rate;
    const int64_t first = av_rescale(*bounds_.range_start_index + bounds_.resample_from, AV_TIME_BASE, rate);
    const int64_t target = std::max<int64_t>(first - kSeekPreroll, input_start_);
    if (avformat_seek_file(&input_, -1, std::numeric_limits<int64_t>::min(), target, target, 0) < 0)
      throw PlanMismatch("the input cannot seek");
    return;
  }
  if (settings_.start == 0) return;
  const int64_t target = input_start_ + std::max<int64_t>(settings_.start - kSeekPreroll, 0);
  // Lands on a key frame at or before the target; the trimmer drops what comes too early.
  // Inputs that cannot seek are read from the beginning instead, which is slower but as exact.
  if (avformat_seek_file(&input_, -1, std::numeric_limits<int64_t>::min(), target, target, 0) < 0)
    avformat_seek_file(&input_, -1, std::numeric_limits<int64_t>::min(), input_start_, input_start_, 0);
}

void AudioPipeline::check_stop(const StopCheck& stop) const {
  if (interruption_requested()) throw EngineError(interruption_text(input_name_));
  if (stop && stop()) throw StopRequested();
}

bool AudioPipeline::read(const StopCheck& stop) {
  for (;;) {
    check_stop(stop);
    if (resampled_ >= bounds_.encode_until) return false;
    const int result = av_read_frame(&input_, packet_.get());
    if (result == AVERROR_EOF) return true;
    check_av(result, "Could not read", input_name_);
    if (packet_->stream_index == audio_.index) decode(packet_.get());
    av_packet_unref(packet_.get());
  }
}

// The decoder has drained when the input ran out; drain() finds nothing more in it.
bool AudioPipeline::read_ahead(const StopCheck& stop) {
  DecodeAhead ahead(input_, audio_.index, decoder_, input_name_);
  for (;;) {
    check_stop(stop);
    if (resampled_ >= bounds_.encode_until) return false;
    const AVFrame* frame = ahead.next();
    if (!frame) return true;
    resample(*frame);
  }
}

void AudioPipeline::decode(const AVPacket* packet) {
  decoder_.decode(packet, [this](AVFrame& frame) { resample(frame); });
}

// Microseconds on the input's timeline, from its first timestamp.
std::optional<int64_t> AudioPipeline::frame_time(const AVFrame& frame) const {
  const int64_t timestamp = frame.best_effort_timestamp;
  if (timestamp == AV_NOPTS_VALUE) return std::nullopt;
  return av_rescale_q(timestamp, audio_.time_base, AV_TIME_BASE_Q) - input_start_;
}

void AudioPipeline::check_shape(const AVFrame& frame) {
  if (!first_shape_) {
    first_shape_ = allocate_frame();
    first_shape_->format = frame.format;
    first_shape_->sample_rate = frame.sample_rate;
    check_av(av_channel_layout_copy(&first_shape_->ch_layout, &frame.ch_layout), "Could not read the channel layout of",
             "the decoded audio");
    return;
  }
  if (frame.format != first_shape_->format || frame.sample_rate != first_shape_->sample_rate ||
      av_channel_layout_compare(&frame.ch_layout, &first_shape_->ch_layout) != 0)
    throw PlanMismatch("the decoded audio changes its rate, channels or sample format");
}

std::optional<int64_t> AudioPipeline::stream_index_of(const AVFrame& frame) const {
  if (frame.best_effort_timestamp == AV_NOPTS_VALUE) return std::nullopt;
  return av_rescale_q_rnd(frame.best_effort_timestamp, audio_.time_base, AVRational{1, frame.sample_rate},
                          static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
}

AudioPipeline::Placement AudioPipeline::place(const AVFrame& frame, std::optional<int64_t> time) {
  if (bounds_.range_start_index && bounds_.resample_from > 0) return place_by_timestamp(frame);
  Placement placement;
  placement.dropped = trimmer_.samples_to_drop(time, frame.nb_samples, frame.sample_rate);
  placement.first_kept = kept_;
  kept_ += frame.nb_samples - placement.dropped;
  if (placement.dropped == frame.nb_samples) return placement;
  const auto index = stream_index_of(frame);
  if (!range_start_index_ && index) range_start_index_ = *index + placement.dropped - placement.first_kept;
  // Counted from the range's start: the timestamps must agree, or the later runs that place by
  // them would not meet this one.
  if (bounds_.range_start_index &&
      (!index || *index + placement.dropped - *bounds_.range_start_index != placement.first_kept))
    throw PlanMismatch("the input's timestamps do not count its samples");
  return placement;
}

AudioPipeline::Placement AudioPipeline::place_by_timestamp(const AVFrame& frame) {
  const auto index = stream_index_of(frame);
  if (!index) throw PlanMismatch("the input's audio has no timestamps");
  const int64_t first = *index - *bounds_.range_start_index;
  if (placed_ && first != kept_) throw PlanMismatch("the input's timestamps do not count its samples");
  if (!placed_ && first > bounds_.resample_from - av_rescale(kDecoderSettling, frame.sample_rate, AV_TIME_BASE))
    throw PlanMismatch("a seek landed too close to its segment");
  placed_ = true;
  kept_ = first + frame.nb_samples;
  return Placement{first, 0};
}

void AudioPipeline::resample(const AVFrame& frame) {
  if (bounds_.fixed_input_shape) check_shape(frame);
  const auto time = frame_time(frame);
  const int64_t length = av_rescale(frame.nb_samples, AV_TIME_BASE, frame.sample_rate);
  decoded_end_ = time ? std::max(decoded_end_, *time + length) : decoded_end_ + length;
  const Placement placement = place(frame, time);
  if (kept_ <= bounds_.resample_from) return;
  const int64_t lead_in = std::max<int64_t>(bounds_.resample_from - placement.first_kept, 0);
  resampler_.convert(frame, placement.dropped + static_cast<int>(lead_in),
                     [this](uint8_t* const* data, int count) { encode(data, count); });
}

void AudioPipeline::encode(uint8_t* const* data, int sample_count) {
  const int64_t first = resampled_;
  resampled_ += sample_count;
  const int64_t skipped = std::clamp<int64_t>(bounds_.encode_from - first, 0, sample_count);
  const int64_t room = bounds_.encode_until - (first + skipped);
  const int accepted = static_cast<int>(std::min<int64_t>(sample_count - skipped, room));
  if (accepted <= 0) return;
  if (skipped == 0) {
    assembler_.push(data, accepted);
  } else {
    assembler_.push_from(data, static_cast<int>(skipped), accepted);
  }
  encode_frames(false);
}

void AudioPipeline::encode_frames(bool at_end) {
  assembler_.pull([this](AVFrame& frame) { encoder_.encode(&frame, *sink_); }, at_end);
}

void AudioPipeline::drain(bool input_ran_out) {
  if (input_ran_out) {
    decode(nullptr);
    resampler_.flush([this](uint8_t* const* data, int count) { encode(data, count); });
  }
  encode_frames(true);
  encoder_.encode(nullptr, *sink_);
}

}  // namespace enginebin
