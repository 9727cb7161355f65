#include "conversion.h"

#include "audio_pipeline.h"
#include "console.h"
#include "engine_error.h"
#include "input_file.h"
#include "input_report.h"
#include "output_file.h"
#include "output_settings.h"
#include "progress.h"
#include "summary_report.h"
#include "time_code.h"

#include <algorithm>
#include <optional>

namespace enginebin {
namespace {

// An input whose audio stops this much short of its declared length is taken as cut off.
constexpr int64_t kTruncationTolerance = 1'000'000;  // microseconds
constexpr int64_t kTruncationTolerancePercent = 5;

// Declared length of the audio in microseconds, when the input states one worth trusting.
std::optional<int64_t> declared_length(const AVFormatContext& input, const AVStream& audio) {
  if (audio.duration != AV_NOPTS_VALUE && audio.duration > 0) {
    int64_t length = av_rescale_q(audio.duration, audio.time_base, AV_TIME_BASE_Q);
    if (audio.start_time != AV_NOPTS_VALUE)
      length += av_rescale_q(audio.start_time, audio.time_base, AV_TIME_BASE_Q) - input_start_time(input);
    return length;
  }
  // A length estimated from the bit rate is a guess, not a statement.
  if (input.duration != AV_NOPTS_VALUE && input.duration > 0 &&
      input.duration_estimation_method != AVFMT_DURATION_FROM_BITRATE)
    return input.duration;
  return std::nullopt;
}

class AudioConversion {
 public:
  AudioConversion(AVFormatContext& input, AVStream& audio, const std::string& input_name,
                  const OutputSettings& settings, OutputFileGuard& guard)
      : input_name_(input_name), settings_(settings), declared_(declared_length(input, audio)),
        pipeline_(input, audio, input_name, settings) {
    refuse_start_beyond_end();
    write_console(output_report(settings));
    output_.emplace(settings, pipeline_.encoder(), guard);
  }

  void run() {
    const bool input_ran_out = pipeline_.run([this](AVPacket& packet) {
      output_->write(packet, pipeline_.encoder().time_base);
      progress_.update(progress());
    });
    check_something_was_written();
    if (input_ran_out) check_not_truncated();
    output_->finish();
    if (settings_.summary) write_console(written_range_text(settings_.start, settings_.start + written_length()));
    progress_.finish(progress());
  }

 private:
  void refuse_start_beyond_end() const {
    if (settings_.start == 0) return;
    if (declared_ && settings_.start >= *declared_)
      throw EngineError(format_text("The start %s lies beyond the end of '%s' (%s)",
                                    format_duration(settings_.start).c_str(), input_name_.c_str(),
                                    format_duration(*declared_).c_str()));
  }

  // Microseconds of audio in the output.
  int64_t written_length() const {
    return av_rescale(pipeline_.samples_encoded(), AV_TIME_BASE, settings_.sample_rate);
  }

  Progress progress() const {
    return Progress{output_->size(), static_cast<double>(pipeline_.samples_encoded()) / settings_.sample_rate};
  }

  void check_something_was_written() const {
    if (pipeline_.samples_accepted() > 0) return;
    if (settings_.start > 0)
      throw EngineError(format_text("The start %s lies beyond the end of the audio of '%s'",
                                    format_duration(settings_.start).c_str(), input_name_.c_str()));
    if (pipeline_.damaged_packets() > 0)
      throw EngineError(format_text("No audio could be decoded from '%s' (%d damaged packets)", input_name_.c_str(),
                                    pipeline_.damaged_packets()));
    throw EngineError("No audio could be decoded from '" + input_name_ + "' (the stream is empty)");
  }

  // The input ended: fail if it ended well before what it declares and what was asked for.
  void check_not_truncated() const {
    if (!declared_) return;
    int64_t expected_end = *declared_;
    if (settings_.duration) expected_end = std::min(expected_end, settings_.start + *settings_.duration);
    const int64_t tolerance = std::max(kTruncationTolerance, *declared_ * kTruncationTolerancePercent / 100);
    const int64_t decoded_end = pipeline_.decoded_end();
    if (expected_end - decoded_end > tolerance)
      throw EngineError(
          format_text("The audio of '%s' ends at %s although the file declares %s "
                      "(the file is truncated or damaged)",
                      input_name_.c_str(), format_duration(decoded_end).c_str(), format_duration(*declared_).c_str()));
  }

  const std::string& input_name_;
  const OutputSettings& settings_;
  const std::optional<int64_t> declared_;  // microseconds

  AudioPipeline pipeline_;
  std::optional<OutputFile> output_;
  ProgressPrinter progress_;
};

}  // namespace

void convert_audio(AVFormatContext& input, AVStream& audio, const std::string& input_name,
                   const OutputSettings& settings, OutputFileGuard& guard) {
  AudioConversion conversion(input, audio, input_name, settings, guard);
  conversion.run();
}

}  // namespace enginebin
