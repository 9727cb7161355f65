#include "frame_assembler.h"

#include "engine_error.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

namespace enginebin {

FrameAssembler::FrameAssembler(AVSampleFormat format, const AVChannelLayout& layout, int sample_rate, int frame_size,
                               bool pad_last_frame)
    : format_(format), sample_rate_(sample_rate), frame_size_(frame_size), pad_last_frame_(pad_last_frame),
      layout_(layout), fifo_(av_audio_fifo_alloc(format, layout.nb_channels, frame_size)), frame_(allocate_frame()) {
  if (!fifo_) throw EngineError("Could not allocate the sample FIFO (out of memory)");
}

void FrameAssembler::push(uint8_t* const* data, int sample_count) {
  // The FIFO only reads the samples; its signature just lacks the const.
  void** planes = reinterpret_cast<void**>(const_cast<uint8_t**>(data));
  if (av_audio_fifo_write(fifo_.get(), planes, sample_count) < sample_count)
    throw EngineError("Could not queue samples for the encoder (out of memory)");
}

void FrameAssembler::push_from(uint8_t* const* data, int first_sample, int sample_count) {
  const bool planar = av_sample_fmt_is_planar(format_) != 0;
  const int planes = planar ? layout_.nb_channels : 1;
  const int offset = first_sample * av_get_bytes_per_sample(format_) * (planar ? 1 : layout_.nb_channels);
  offset_planes_.resize(static_cast<std::size_t>(planes));
  for (int plane = 0; plane < planes; ++plane) offset_planes_[static_cast<std::size_t>(plane)] = data[plane] + offset;
  push(offset_planes_.data(), sample_count);
}

void FrameAssembler::pull(const FrameSink& sink, bool at_end) {
  for (;;) {
    const int queued = av_audio_fifo_size(fifo_.get());
    if (queued == 0 || (queued < frame_size_ && !at_end)) return;
    const int taken = queued < frame_size_ ? queued : frame_size_;
    const int length = pad_last_frame_ ? frame_size_ : taken;

    // The encoder may still hold a reference to the previous frame's buffer.
    if (frame_->nb_samples != length || av_frame_make_writable(frame_.get()) < 0) {
      av_frame_unref(frame_.get());
      frame_->format = format_;
      frame_->sample_rate = sample_rate_;
      frame_->nb_samples = length;
      check_av(av_channel_layout_copy(&frame_->ch_layout, &layout_), "Could not allocate a frame for", "the encoder");
      check_av(av_frame_get_buffer(frame_.get(), 0), "Could not allocate a frame for", "the encoder");
    }
    av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame_->extended_data), taken);
    if (taken < length)
      av_samples_set_silence(frame_->extended_data, taken, length - taken, layout_.nb_channels, format_);
    frame_->pts = samples_out_;
    samples_out_ += taken;
    sink(*frame_);
  }
}

}  // namespace enginebin
