#include "audio_decoder.h"

#include "console.h"
#include "engine_error.h"

namespace enginebin {

AudioDecoder::AudioDecoder(const AVStream& stream, const std::string& input_name)
    : AudioDecoder(*stream.codecpar, stream.time_base, input_name) {}

AudioDecoder::AudioDecoder(const AVCodecParameters& parameters, AVRational time_base, const std::string& input_name)
    : input_name_(input_name), frame_(allocate_frame()) {
  const AVCodec* decoder = avcodec_find_decoder(parameters.codec_id);
  if (decoder == nullptr)
    throw EngineError(
        format_text("No decoder for the %s audio of '%s'", avcodec_get_name(parameters.codec_id), input_name.c_str()));
  context_.reset(avcodec_alloc_context3(decoder));
  if (!context_) throw EngineError("Could not allocate the decoder (out of memory)");
  check_av(avcodec_parameters_to_context(context_.get(), &parameters), "Could not set up the audio decoder for",
           input_name);
  context_->pkt_timebase = time_base;
  check_av(avcodec_open2(context_.get(), decoder, nullptr), "Could not open the audio decoder for", input_name);
}

void AudioDecoder::decode(const AVPacket* packet, const FrameSink& sink) {
  const int result = avcodec_send_packet(context_.get(), packet);
  if (result == AVERROR_INVALIDDATA) {
    ++damaged_packets_;
  } else if (result != AVERROR_EOF) {
    check_av(result, "Could not decode the audio of", input_name_);
  }
  receive_frames(sink);
}

void AudioDecoder::receive_frames(const FrameSink& sink) {
  for (;;) {
    const int result = avcodec_receive_frame(context_.get(), frame_.get());
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
    if (result == AVERROR_INVALIDDATA) {
      ++damaged_packets_;
      continue;
    }
    check_av(result, "Could not decode the audio of", input_name_);
    if (frame_->nb_samples > 0 && frame_->sample_rate > 0 && frame_->ch_layout.nb_channels > 0) sink(*frame_);
    av_frame_unref(frame_.get());
  }
}

}  // namespace enginebin
