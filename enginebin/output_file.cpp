#include "output_file.h"

#include "engine_error.h"
#include "input_file.h"
#include "interruption.h"
#include "output_file_guard.h"
#include "output_settings.h"
#include "tags.h"

namespace enginebin {

OutputFile::OutputFile(const OutputSettings& settings, const AVCodecContext& encoder, OutputFileGuard& guard)
    : settings_(settings) {
  set_up();
  check_av(avcodec_parameters_from_context(stream_->codecpar, &encoder), "Could not set up the audio stream of",
           settings.path);
  stream_->time_base = encoder.time_base;
  open(guard);
}

OutputFile::OutputFile(const OutputSettings& settings, const AVCodecParameters& copied, AVRational time_base,
                       OutputFileGuard& guard)
    : settings_(settings) {
  set_up();
  check_av(avcodec_parameters_copy(stream_->codecpar, &copied), "Could not set up the audio stream of", settings.path);
  stream_->codecpar->codec_tag = 0;  // the source container's tag may mean nothing in this one
  stream_->time_base = time_base;
  open(guard);
}

void OutputFile::set_up() {
  AVFormatContext* context = nullptr;
  check_av(avformat_alloc_output_context2(&context, settings_.muxer, nullptr, settings_.path.c_str()),
           "Could not set up the output file", settings_.path);
  context_.reset(context);
  if (settings_.bitexact) context_->flags |= AVFMT_FLAG_BITEXACT;
  stream_ = avformat_new_stream(context_.get(), nullptr);
  if (stream_ == nullptr)
    throw EngineError("Could not add the audio stream to '" + settings_.path + "' (out of memory)");
}

void OutputFile::open(OutputFileGuard& guard) {
  write_tags(settings_, *context_, *stream_);
  const std::string& file = guard.create();
  const AVIOInterruptCB interrupt = interrupt_callback();
  check_av(avio_open2(&context_->pb, file_url(file).c_str(), AVIO_FLAG_WRITE, &interrupt, nullptr),
           "Could not create the output file", settings_.path);
  check_written(avformat_write_header(context_.get(), nullptr));
}

void OutputFile::check_written(int result) {
  if (result >= 0 && context_->pb != nullptr && context_->pb->error < 0) result = context_->pb->error;
  check_av(result, "Could not write to", settings_.path);
  if (context_->pb != nullptr) size_ = avio_tell(context_->pb);
}

void OutputFile::write(AVPacket& packet, AVRational packet_time_base) {
  av_packet_rescale_ts(&packet, packet_time_base, stream_->time_base);
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
