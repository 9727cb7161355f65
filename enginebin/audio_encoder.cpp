#include "audio_encoder.h"

#include "engine_error.h"
#include "output_settings.h"

#include <mutex>

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace enginebin {
namespace {

// Encoders that take any frame length get frames of this many samples.
constexpr int kVariableFrameSize = 4096;

}  // namespace

AudioEncoder::AudioEncoder(const OutputSettings& settings)
    : context_(avcodec_alloc_context3(settings.encoder)), packet_(allocate_packet()) {
  if (!context_) throw EngineError("Could not allocate the encoder (out of memory)");
  const std::string name = settings.encoder->name;
  context_->sample_fmt = settings.sample_format;
  context_->sample_rate = settings.sample_rate;
  context_->time_base = AVRational{1, settings.sample_rate};
  context_->bit_rate = settings.bit_rate;
  check_av(av_channel_layout_copy(&context_->ch_layout, &settings.channel_layout),
           "Could not set the channels of the encoder", name);
  if (settings.bitexact) context_->flags |= AV_CODEC_FLAG_BITEXACT;
  if ((settings.muxer->flags & AVFMT_GLOBALHEADER) != 0) context_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  {
    // Workers open their encoders at once; libmp3lame fills tables it shares between encoders on
    // first use, without a lock of its own.
    static std::mutex opening;
    const std::lock_guard lock(opening);
    check_av(avcodec_open2(context_.get(), settings.encoder, nullptr), "Could not open the encoder", name);
  }

  const int capabilities = settings.encoder->capabilities;
  if ((capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) != 0 || context_->frame_size <= 0) {
    frame_size_ = kVariableFrameSize;
  } else {
    frame_size_ = context_->frame_size;
    needs_full_frames_ = (capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME) == 0;
  }
}

void AudioEncoder::encode(const AVFrame* frame, const PacketSink& sink) {
  check_av(avcodec_send_frame(context_.get(), frame), "Could not encode audio with", context_->codec->name);
  for (;;) {
    const int result = avcodec_receive_packet(context_.get(), packet_.get());
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
    check_av(result, "Could not encode audio with", context_->codec->name);
    sink(*packet_);
    av_packet_unref(packet_.get());
  }
}

}  // namespace enginebin
