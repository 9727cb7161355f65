#include "output_file.h"

#include "engine_error.h"
#include "input_file.h"
#include "interruption.h"
#include "output_file_guard.h"
#include "output_settings.h"

namespace enginebin {

OutputFile::OutputFile(const OutputSettings& settings, const AVCodecContext& encoder, OutputFileGuard& guard)
    : settings_(settings) {
  AVFormatContext* context = nullptr;
  check_av(avformat_alloc_output_context2(&context, settings.muxer, nullptr, settings.path.c_str()),
           "Could not set up the output file", settings.path);
  context_.reset(context);
  if (settings.bitexact) context_->flags |= AVFMT_FLAG_BITEXACT;

  stream_ = avformat_new_stream(context_.get(), nullptr);
  if (stream_ == nullptr)
    throw EngineError("Could not add the audio stream to '" + settings.path + "' (out of memory)");
  check_av(avcodec_parameters_from_context(stream_->codecpar, &encoder), "Could not set up the audio stream of",
           settings.path);
  stream_->time_base = encoder.time_base;

  const std::string& file = guard.create();
  const AVIOInterruptCB interrupt = interrupt_callback();
  check_av(avio_open2(&context_->pb, file_url(file).c_str(), AVIO_FLAG_WRITE, &interrupt, nullptr),
           "Could not create the output file", settings.path);
  check_written(avformat_write_header(context_.get(), nullptr));
}

void OutputFile::check_written(int result) {
  if (result >= 0 && context_->pb != nullptr && context_->pb->error < 0) result = context_->pb->error;
  check_av(result, "Could not write to", settings_.path);
  if (context_->pb != nullptr) size_ = avio_tell(context_->pb);
}

void OutputFile::write(AVPacket& packet, AVRational encoder_time_base) {
  av_packet_rescale_ts(&packet, encoder_time_base, stream_->time_base);
  packet.stream_index = stream_->index;
  check_written(av_interleaved_write_frame(context_.get(), &packet));
}

void OutputFile::finish() {
  check_written(av_write_trailer(context_.get()));
  size_ = avio_size(context_->pb);
  // Closing flushes the last buffered bytes, so a full disk may only show here.
  check_av(avio_closep(&context_->pb), "Could not write to", settings_.path);
}

}  // namespace enginebin
