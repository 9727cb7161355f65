#include "resampler.h"

#include "engine_error.h"
#include "output_settings.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
}

namespace enginebin {

Resampler::Resampler(const OutputSettings& settings)
    : output_format_(settings.sample_format), output_rate_(settings.sample_rate), gain_(settings.gain),
      buffer_(allocate_frame()) {
  check_av(av_channel_layout_copy(&output_layout_, &settings.channel_layout), "Could not set up the channel layout of",
           settings.path);
}

Resampler::~Resampler() {
  av_channel_layout_uninit(&output_layout_);
  av_channel_layout_uninit(&input_layout_);
  av_channel_layout_uninit(&decoded_layout_);
}

bool Resampler::matches(const AVFrame& frame) const {
  return context_ && frame.format == input_format_ && frame.sample_rate == input_rate_ &&
         av_channel_layout_compare(&frame.ch_layout, &decoded_layout_) == 0;
}

void Resampler::configure(const AVFrame& frame) {
  av_channel_layout_uninit(&decoded_layout_);
  check_av(av_channel_layout_copy(&decoded_layout_, &frame.ch_layout), "Could not read the channel layout of",
           "the decoded audio");
  av_channel_layout_uninit(&input_layout_);
  if (frame.ch_layout.order == AV_CHANNEL_ORDER_NATIVE || frame.ch_layout.order == AV_CHANNEL_ORDER_AMBISONIC)
    check_av(av_channel_layout_copy(&input_layout_, &frame.ch_layout), "Could not read the channel layout of",
             "the decoded audio");
  else
    av_channel_layout_default(&input_layout_, frame.ch_layout.nb_channels);
  input_format_ = static_cast<AVSampleFormat>(frame.format);
  input_rate_ = frame.sample_rate;

  SwrContext* context = nullptr;
  check_av(swr_alloc_set_opts2(&context, &output_layout_, output_format_, output_rate_, &input_layout_, input_format_,
                               input_rate_, 0, nullptr),
           "Could not set up the resampler for", "the decoded audio");
  context_.reset(context);
  // The volume is a gain on the mixing matrix, so it costs nothing beyond the conversion itself.
  check_av(av_opt_set_double(context_.get(), "rematrix_volume", gain_, 0), "Could not set the volume of",
           "the resampler");
  check_av(swr_init(context_.get()), "Could not start the resampler for", "the decoded audio");
}

void Resampler::reserve(int sample_count) {
  if (sample_count <= buffer_capacity_) return;
  av_frame_unref(buffer_.get());
  buffer_->format = output_format_;
  buffer_->sample_rate = output_rate_;
  buffer_->nb_samples = sample_count;
  check_av(av_channel_layout_copy(&buffer_->ch_layout, &output_layout_), "Could not allocate samples for",
           "the resampler");
  check_av(av_frame_get_buffer(buffer_.get(), 0), "Could not allocate samples for", "the resampler");
  buffer_capacity_ = sample_count;
}

void Resampler::run(const uint8_t** input, int sample_count, const Sink& sink) {
  const int room = swr_get_out_samples(context_.get(), sample_count);
  check_av(room, "Could not convert", "the decoded audio");
  reserve(room);
  const int converted =
      check_av(swr_convert(context_.get(), buffer_->extended_data, buffer_capacity_, input, sample_count),
               "Could not convert", "the decoded audio");
  if (converted <= 0) return;
  // A gain of 0 on the mixing matrix leaves the volume as it is; silence is what was asked for.
  if (gain_ == 0.0)
    av_samples_set_silence(buffer_->extended_data, 0, converted, output_layout_.nb_channels, output_format_);
  sink(buffer_->extended_data, converted);
}

void Resampler::convert(const AVFrame& frame, int first_sample, const Sink& sink) {
  if (first_sample >= frame.nb_samples) return;
  if (!matches(frame)) {
    // What the previous set-up still holds belongs before this frame.
    if (context_) flush(sink);
    configure(frame);
  }
  const int channels = frame.ch_layout.nb_channels;
  const bool planar = av_sample_fmt_is_planar(input_format_) != 0;
  const int bytes_per_sample = av_get_bytes_per_sample(input_format_);
  const int planes = planar ? channels : 1;
  const int offset = first_sample * bytes_per_sample * (planar ? 1 : channels);
  input_planes_.resize(static_cast<std::size_t>(planes));
  for (int plane = 0; plane < planes; ++plane)
    input_planes_[static_cast<std::size_t>(plane)] = frame.extended_data[plane] + offset;
  run(input_planes_.data(), frame.nb_samples - first_sample, sink);
}

void Resampler::flush(const Sink& sink) {
  if (context_) run(nullptr, 0, sink);
}

}  // namespace enginebin
