#include "stream_copy.h"

#include "console.h"
#include "engine_error.h"
#include "input_file.h"
#include "interruption.h"
#include "output_file.h"
#include "output_settings.h"
#include "progress.h"
#include "summary_report.h"
#include "time_code.h"

#include <limits>
#include <optional>

namespace enginebin {
namespace {

class StreamCopy {
 public:
  StreamCopy(AVFormatContext& input, AVStream& audio, const std::string& input_name, const OutputSettings& settings,
             OutputFileGuard& guard)
      : input_(input), audio_(audio), input_name_(input_name), settings_(settings),
        input_start_(input_start_time(input)), packet_(allocate_packet()) {
    write_console(format_text("Output #0, %s, to '%s':\n  Stream #0.0: Audio: %s (copy)\n", settings.muxer->name,
                              settings.path.c_str(), avcodec_get_name(audio.codecpar->codec_id)));
    output_.emplace(settings, *audio.codecpar, audio.time_base, guard);
  }

  void run() {
    const int64_t begin = to_stream_time(settings_.start);
    const int64_t end = settings_.duration ? to_stream_time(settings_.start + *settings_.duration)
                                           : std::numeric_limits<int64_t>::max();
    seek(begin);
    while (read_packet()) {
      const int64_t time = packet_->pts != AV_NOPTS_VALUE ? packet_->pts : packet_->dts;
      const int64_t length = packet_->duration > 0 ? packet_->duration : 0;
      // Without a range every packet goes, those before the timeline's zero (an encoder's
      // priming) too.
      if (time == AV_NOPTS_VALUE || (settings_.start > 0 && time < begin)) {
        av_packet_unref(packet_.get());
        continue;
      }
      if (time + length > end) break;
      if (!first_) first_ = time;
      last_end_ = time + length;
      write_packet();
    }
    av_packet_unref(packet_.get());
    if (!first_)
      throw EngineError(
          format_text("No whole packet of the audio of '%s' lies between %s and %s", input_name_.c_str(),
                      format_duration(settings_.start).c_str(),
                      settings_.duration ? format_duration(settings_.start + *settings_.duration).c_str() : "its end"));
    output_->finish();
    if (settings_.summary) write_console(written_range_text(to_input_time(*first_), to_input_time(last_end_)));
    progress_.finish(progress());
  }

 private:
  // Microseconds from the input's start to the stream's time base, and back.
  int64_t to_stream_time(int64_t micros) const {
    return av_rescale_q(input_start_ + micros, AV_TIME_BASE_Q, audio_.time_base);
  }
  int64_t to_input_time(int64_t stream_time) const {
    return av_rescale_q(stream_time, audio_.time_base, AV_TIME_BASE_Q) - input_start_;
  }

  void seek(int64_t begin) {
    if (settings_.start == 0) return;
    // At or before the begin; what comes too early is passed over.
    if (avformat_seek_file(&input_, audio_.index, std::numeric_limits<int64_t>::min(), begin, begin, 0) < 0)
      avformat_seek_file(&input_, -1, std::numeric_limits<int64_t>::min(), input_start_, input_start_, 0);
  }

  // The next packet of the stream; false at the end of the input.
  bool read_packet() {
    for (;;) {
      if (interruption_requested()) throw EngineError(interruption_text(input_name_));
      const int result = av_read_frame(&input_, packet_.get());
      if (result == AVERROR_EOF) return false;
      check_av(result, "Could not read", input_name_);
      if (packet_->stream_index == audio_.index) return true;
      av_packet_unref(packet_.get());
    }
  }

  // A range starts at its first packet; the whole stream keeps its times from the timeline's zero.
  void write_packet() {
    const int64_t zero = settings_.start > 0 ? *first_ : to_stream_time(0);
    if (packet_->pts != AV_NOPTS_VALUE) packet_->pts -= zero;
    if (packet_->dts != AV_NOPTS_VALUE) packet_->dts -= zero;
    packet_->pos = -1;
    output_->write(*packet_, audio_.time_base);
    av_packet_unref(packet_.get());
    progress_.update(progress());
  }

  Progress progress() const {
    const int64_t copied = first_ ? last_end_ - *first_ : 0;
    return Progress{output_->size(), static_cast<double>(copied) * av_q2d(audio_.time_base)};
  }

  AVFormatContext& input_;
  AVStream& audio_;
  const std::string& input_name_;
  const OutputSettings& settings_;
  const int64_t input_start_;  // microseconds: the input timeline's zero
  PacketPtr packet_;
  std::optional<OutputFile> output_;
  ProgressPrinter progress_;
  std::optional<int64_t> first_;  // stream time of the first packet kept
  int64_t last_end_ = 0;          // stream time where the last packet kept ends
};

}  // namespace

void copy_audio(AVFormatContext& input, AVStream& audio, const std::string& input_name, const OutputSettings& settings,
                OutputFileGuard& guard) {
  StreamCopy copy(input, audio, input_name, settings, guard);
  copy.run();
}

}  // namespace enginebin
