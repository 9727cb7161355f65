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
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>

namespace enginebin {
namespace {

// An input whose audio stops this much short of its declared length has ended early.
constexpr int64_t kTruncationTolerance = 1'000'000;  // microseconds
constexpr int64_t kTruncationTolerancePercent = 5;

// The length in microseconds that the input states for its audio stream itself, if it does.
// Containers that state only their own length (Matroska, WebM, FLV) may hold audio that ends
// before their video: that length says nothing about the audio.
std::optional<int64_t> declared_audio_length(const AVFormatContext& input, const AVStream& audio) {
  // A length estimated from the bit rate is a guess, not a statement.
  if (audio.duration == AV_NOPTS_VALUE || audio.duration <= 0 ||
      input.duration_estimation_method == AVFMT_DURATION_FROM_BITRATE)
    return std::nullopt;
  int64_t length = av_rescale_q(audio.duration, audio.time_base, AV_TIME_BASE_Q);
  if (audio.start_time != AV_NOPTS_VALUE)
    length += av_rescale_q(audio.start_time, audio.time_base, AV_TIME_BASE_Q) - input_start_time(input);
  return length;
}

// The length of the audio in microseconds or, failing that, of the whole input: the audio
// cannot last longer.
std::optional<int64_t> longest_length(const AVFormatContext& input, const std::optional<int64_t>& audio_length) {
  if (audio_length) return audio_length;
  if (input.duration != AV_NOPTS_VALUE && input.duration > 0 &&
      input.duration_estimation_method != AVFMT_DURATION_FROM_BITRATE)
    return input.duration;
  return std::nullopt;
}

// What the range will hold, in output samples, as far as the input tells before it is read.
std::optional<int64_t> expected_range_samples(const std::optional<int64_t>& length, const OutputSettings& settings) {
  if (!length) return std::nullopt;
  int64_t range = std::max<int64_t>(*length - settings.start, 0);
  if (settings.duration) range = std::min(range, *settings.duration);
  return av_rescale(range, settings.sample_rate, AV_TIME_BASE);
}

// Whether the input's audio timestamps count its samples one by one, so that a worker may seek into
// the range and still know where each decoded sample belongs. Containers that round them to
// milliseconds (Matroska, FLV, ASF) or estimate them (raw streams) do not.
bool timestamps_count_samples(const AVFormatContext& input, const AVStream& audio) {
  static constexpr std::string_view kExactDemuxers[] = {
      "mov,mp4,m4a,3gp,3g2,mj2", "avi", "wav", "mpeg", "mpegts", "ogg"};
  const AVRational base = audio.time_base;
  const int rate = audio.codecpar->sample_rate;
  if (rate <= 0 || base.num <= 0 || static_cast<int64_t>(base.num) * rate > base.den) return false;
  return std::find(std::begin(kExactDemuxers), std::end(kExactDemuxers), input.iformat->name) !=
         std::end(kExactDemuxers);
}

// Whether a decoder that starts at a seek gives, a few frames on, the very samples of one that ran
// from the start. Not so where the decoder draws on a random state that runs through the whole
// stream: AAC's noise substitution, AC-3's and MP2's dither, Opus' noise folding.
bool decoding_resumes_exactly(AVCodecID codec) {
  switch (codec) {
    case AV_CODEC_ID_MP3:
    case AV_CODEC_ID_FLAC:
    case AV_CODEC_ID_ALAC:
    case AV_CODEC_ID_VORBIS:
    case AV_CODEC_ID_WMAV1:
    case AV_CODEC_ID_WMAV2: return true;
    default: {
      const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec);
      return descriptor != nullptr && descriptor->name != nullptr &&
             std::string_view(descriptor->name).rfind("pcm_", 0) == 0;
    }
  }
}

// The stream's own index of the range's first sample, found as the sequential engine finds that
// sample, on an opening of the input of its own.
std::optional<int64_t> find_range_start_index(const std::string& input_name, int audio_stream,
                                              const OutputSettings& settings) {
  const ReopenedInput reopened = reopen_input(input_name, audio_stream);
  PipelineBounds first_sample;
  first_sample.encode_until = 1;
  AudioPipeline pipeline(*reopened.input, *reopened.audio, input_name, settings, first_sample);
  pipeline.run([](AVPacket&) {});
  return pipeline.range_start_index();
}

class AudioConversion {
 public:
  AudioConversion(AVFormatContext& input, AVStream& audio, const std::string& input_name,
                  const OutputSettings& settings, OutputFileGuard& guard)
      : input_(input), audio_(audio), input_name_(input_name), settings_(settings), guard_(guard),
        declared_(declared_audio_length(input, audio)), longest_(longest_length(input, declared_)),
        pipeline_(input, audio, input_name, settings, whole_range(settings)) {
    refuse_start_beyond_end();
    write_console(output_report(settings));
    output_ = std::make_unique<OutputFile>(settings, pipeline_.encoder(), guard);
  }

  void run() {
    const std::optional<EncoderSeams> seams = encoder_seams(pipeline_.encoder());
    if (seams) {
      try {
        SegmentPlan plan = plan_in_segments(*seams);
        if (plan.bounds.size() > 1) {
          const ParallelOutcome outcome = convert_in_segments(input_name_, audio_.index, settings_, plan, *seams,
                                                              pipeline_.encoder(), *output_, progress_);
          finish(Ending{outcome.samples, outcome.input_ran_out, outcome.decoded_end, outcome.damaged_packets});
          return;
        }
      } catch (const PlanMismatch&) {
        // The input is not as even as the plan assumed: one worker does it all, in a new file.
        output_.reset();
        output_ = std::make_unique<OutputFile>(settings_, pipeline_.encoder(), guard_);
      }
    }
    // With a core to spare, reading and decoding go ahead on threads of their own.
    const auto reading = workers() > 1 ? AudioPipeline::Reading::ahead : AudioPipeline::Reading::in_turn;
    const bool input_ran_out = pipeline_.run(
        [this](AVPacket& packet) {
          output_->write(packet, pipeline_.encoder().time_base);
          progress_.update(progress(pipeline_.samples_encoded()));
        },
        nullptr, reading);
    finish(Ending{pipeline_.samples_encoded(), input_ran_out, pipeline_.decoded_end(), pipeline_.damaged_packets()});
  }

 private:
  void refuse_start_beyond_end() const {
    if (settings_.start == 0) return;
    if (longest_ && settings_.start >= *longest_)
      throw EngineError(format_text("The start %s lies beyond the end of '%s' (%s)",
                                    format_duration(settings_.start).c_str(), input_name_.c_str(),
                                    format_duration(*longest_).c_str()));
  }

  struct Ending {
    int64_t samples = 0;  // output samples written
    bool input_ran_out = false;
    int64_t decoded_end = 0;  // microseconds
    int damaged_packets = 0;
  };

  // The segments for the workers (one: the sequential engine). Workers seek to their segments
  // where the timestamps allow it and the decoder resumes exactly after a seek; otherwise each
  // decodes the range from its start, so that every output is the sequential engine's.
  SegmentPlan plan_in_segments(const EncoderSeams& seams) const {
    PlanFacts facts = plan_facts(seams);
    const bool seeking =
        timestamps_count_samples(input_, audio_) && decoding_resumes_exactly(audio_.codecpar->codec_id);
    facts.prefix_cost = seeking ? 0.0 : decoding_share(seams);
    SegmentPlan plan = plan_segments(facts);
    if (seeking && plan.bounds.size() > 1) {
      const auto start_index = find_range_start_index(input_name_, audio_.index, settings_);
      if (!start_index) throw PlanMismatch("the input's audio has no timestamps");
      for (PipelineBounds& bounds : plan.bounds) bounds.range_start_index = start_index;
    }
    return plan;
  }

  int workers() const { return settings_.workers > 0 ? settings_.workers : usable_cores(); }

  PlanFacts plan_facts(const EncoderSeams& seams) const {
    PlanFacts facts;
    facts.workers = workers();
    if (!can_open_again(input_name_)) facts.workers = 1;  // every worker opens the input anew
    facts.range_samples = expected_range_samples(longest_, settings_);
    facts.sample_limit = whole_range(settings_).encode_until;
    facts.input_rate = audio_.codecpar->sample_rate;
    facts.output_rate = settings_.sample_rate;
    facts.seams = seams;
    return facts;
  }

  void finish(const Ending& ending) {
    check_something_was_written(ending);
    output_->finish();
    if (ending.input_ran_out) report_early_end(ending);
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

  // The input ended well before what its audio stream declares and what was asked for: what
  // there is makes the output, and the report says where the audio ended.
  void report_early_end(const Ending& ending) {
    if (!declared_) return;
    int64_t expected_end = *declared_;
    if (settings_.duration) expected_end = std::min(expected_end, settings_.start + *settings_.duration);
    const int64_t tolerance = std::max(kTruncationTolerance, *declared_ * kTruncationTolerancePercent / 100);
    if (expected_end - ending.decoded_end > tolerance)
      progress_.note(format_text("Input ended early: audio until %s, declared %s",
                                 format_position(ending.decoded_end).c_str(), format_position(*declared_).c_str()));
  }

  const AVFormatContext& input_;
  const AVStream& audio_;
  const std::string& input_name_;
  const OutputSettings& settings_;
  OutputFileGuard& guard_;
  const std::optional<int64_t> declared_;  // microseconds: what the audio stream states as its length
  const std::optional<int64_t> longest_;   // microseconds: that, or the input's own length

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
