#include "conversion.h"

#include "audio_pipeline.h"
#include "console.h"
#include "engine_error.h"
#include "input_file.h"
#include "input_report.h"
#include "output_file.h"
#include "output_settings.h"
#include "parallel_conversion.h"
#include "progress.h"
#include "segment_plan.h"
#include "summary_report.h"
#include "time_code.h"
#include "usable_cores.h"

#include <algorithm>
#include <memory>
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

// What the range will hold, in output samples, as far as the input tells before it is read.
std::optional<int64_t> expected_range_samples(const AVFormatContext& input, const std::optional<int64_t>& declared,
                                              const OutputSettings& settings) {
  std::optional<int64_t> length = declared;
  if (!length && input.duration != AV_NOPTS_VALUE && input.duration > 0) length = input.duration;
  if (!length) return std::nullopt;
  int64_t range = std::max<int64_t>(*length - settings.start, 0);
  if (settings.duration) range = std::min(range, *settings.duration);
  return av_rescale(range, settings.sample_rate, AV_TIME_BASE);
}

class AudioConversion {
 public:
  AudioConversion(AVFormatContext& input, AVStream& audio, const std::string& input_name,
                  const OutputSettings& settings, OutputFileGuard& guard)
      : input_(input), audio_(audio), input_name_(input_name), settings_(settings), guard_(guard),
        declared_(declared_length(input, audio)), pipeline_(input, audio, input_name, settings, whole_range(settings)) {
    refuse_start_beyond_end();
    write_console(output_report(settings));
    output_ = std::make_unique<OutputFile>(settings, pipeline_.encoder(), guard);
  }

  void run() {
    const std::optional<EncoderSeams> seams = encoder_seams(pipeline_.encoder());
    const SegmentPlan plan = plan_segments(plan_facts(seams));
    if (plan.bounds.size() > 1) {
      try {
        const ParallelOutcome outcome = convert_in_segments(input_name_, audio_.index, settings_, plan, *seams,
                                                            pipeline_.encoder(), *output_, progress_);
        finish(Ending{outcome.samples, outcome.input_ran_out, outcome.decoded_end, outcome.damaged_packets});
        return;
      } catch (const PlanMismatch&) {
        // The input is not as even as the plan assumed: one worker does it all, in a new file.
        output_.reset();
        output_ = std::make_unique<OutputFile>(settings_, pipeline_.encoder(), guard_);
      }
    }
    const bool input_ran_out = pipeline_.run([this](AVPacket& packet) {
      output_->write(packet, pipeline_.encoder().time_base);
      progress_.update(progress(pipeline_.samples_encoded()));
    });
    finish(Ending{pipeline_.samples_encoded(), input_ran_out, pipeline_.decoded_end(), pipeline_.damaged_packets()});
  }

 private:
  void refuse_start_beyond_end() const {
    if (settings_.start == 0) return;
    if (declared_ && settings_.start >= *declared_)
      throw EngineError(format_text("The start %s lies beyond the end of '%s' (%s)",
                                    format_duration(settings_.start).c_str(), input_name_.c_str(),
                                    format_duration(*declared_).c_str()));
  }

  struct Ending {
    int64_t samples = 0;  // output samples written
    bool input_ran_out = false;
    int64_t decoded_end = 0;  // microseconds
    int damaged_packets = 0;
  };

  PlanFacts plan_facts(const std::optional<EncoderSeams>& seams) const {
    PlanFacts facts;
    facts.workers = settings_.workers > 0 ? settings_.workers : usable_cores();
    facts.range_samples = expected_range_samples(input_, declared_, settings_);
    facts.sample_limit = whole_range(settings_).encode_until;
    facts.input_rate = audio_.codecpar->sample_rate;
    facts.output_rate = settings_.sample_rate;
    facts.seams = seams;
    return facts;
  }

  void finish(const Ending& ending) {
    check_something_was_written(ending);
    if (ending.input_ran_out) check_not_truncated(ending);
    output_->finish();
    if (settings_.summary)
      write_console(written_range_text(
          settings_.start, settings_.start + av_rescale(ending.samples, AV_TIME_BASE, settings_.sample_rate)));
    progress_.finish(progress(ending.samples));
  }

  Progress progress(int64_t samples) const {
    return Progress{output_->size(), static_cast<double>(samples) / settings_.sample_rate};
  }

  void check_something_was_written(const Ending& ending) const {
    if (ending.samples > 0) return;
    if (settings_.start > 0)
      throw EngineError(format_text("The start %s lies beyond the end of the audio of '%s'",
                                    format_duration(settings_.start).c_str(), input_name_.c_str()));
    if (ending.damaged_packets > 0)
      throw EngineError(format_text("No audio could be decoded from '%s' (%d damaged packets)", input_name_.c_str(),
                                    ending.damaged_packets));
    throw EngineError("No audio could be decoded from '" + input_name_ + "' (the stream is empty)");
  }

  // The input ended: fail if it ended well before what it declares and what was asked for.
  void check_not_truncated(const Ending& ending) const {
    if (!declared_) return;
    int64_t expected_end = *declared_;
    if (settings_.duration) expected_end = std::min(expected_end, settings_.start + *settings_.duration);
    const int64_t tolerance = std::max(kTruncationTolerance, *declared_ * kTruncationTolerancePercent / 100);
    const int64_t decoded_end = ending.decoded_end;
    if (expected_end - decoded_end > tolerance)
      throw EngineError(
          format_text("The audio of '%s' ends at %s although the file declares %s "
                      "(the file is truncated or damaged)",
                      input_name_.c_str(), format_duration(decoded_end).c_str(), format_duration(*declared_).c_str()));
  }

  const AVFormatContext& input_;
  const AVStream& audio_;
  const std::string& input_name_;
  const OutputSettings& settings_;
  OutputFileGuard& guard_;
  const std::optional<int64_t> declared_;  // microseconds

  AudioPipeline pipeline_;
  std::unique_ptr<OutputFile> output_;
  ProgressPrinter progress_;
};

}  // namespace

void convert_audio(AVFormatContext& input, AVStream& audio, const std::string& input_name,
                   const OutputSettings& settings, OutputFileGuard& guard) {
  AudioConversion conversion(input, audio, input_name, settings, guard);
  conversion.run();
}

}  // namespace enginebin
