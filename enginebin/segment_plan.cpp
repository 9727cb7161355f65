#include "segment_plan.h"

#include <cmath>
#include <numeric>

namespace enginebin {
namespace {

// A fresh resampler matches one that ran all along from its 17th output sample on; it starts this
// many output samples (rounded up to whole periods) before the encoder's first.
constexpr int64_t kResamplerLeadIn = 64;

// On the benchmark's 10 minutes of AAC to WAV on two cores, two workers that each decode from the
// start took 0.73 x ffmpeg's time, one pipeline decoding ahead 0.67 x.
constexpr double kDecodingAheadShare = 0.5;

// MP3 and AC-3 round each frame's size to whole bytes or words and pad some frames by one to
// keep the bit rate; the pattern of padded frames repeats after this many frames.
int padding_period(const AVCodecContext& encoder) {
  const int64_t bits = encoder.bit_rate * encoder.frame_size;
  return static_cast<int>(encoder.sample_rate / std::gcd(bits, static_cast<int64_t>(encoder.sample_rate)));
}

// Where segment k of count begins, as a share of the range: each worker's time is its prefix's
// decoding (prefix_cost per second) plus its own segment, and all are made equal.
double segment_start_share(int64_t k, int64_t count, double prefix_cost) {
  if (prefix_cost <= 0.0) return static_cast<double>(k) / static_cast<double>(count);
  const double kept = 1.0 - prefix_cost;
  return (1.0 - std::pow(kept, static_cast<double>(k))) / (1.0 - std::pow(kept, static_cast<double>(count)));
}

SegmentPlan one_segment(const PlanFacts& facts) {
  PipelineBounds whole;
  whole.encode_until = facts.sample_limit;
  return SegmentPlan{{whole}, {0}};
}

}  // namespace

std::optional<EncoderSeams> encoder_seams(const AVCodecContext& encoder) {
  EncoderSeams seams;
  seams.initial_padding = encoder.initial_padding;
  switch (encoder.codec_id) {
    case AV_CODEC_ID_PCM_S16LE:
    case AV_CODEC_ID_PCM_S24LE:
    case AV_CODEC_ID_PCM_S32LE:
    case AV_CODEC_ID_PCM_F32LE:
    case AV_CODEC_ID_PCM_U8:
      // Writing PCM costs little (0.5 ms a second of 44.1 kHz stereo from PCM), so the cuts pay
      // only on long ranges.
      seams.shortest_range = 120;
      return seams;
    case AV_CODEC_ID_AC3:
      seams.kind = EncoderSeams::Kind::frames;
      seams.frame_size = encoder.frame_size;
      seams.alignment_frames = padding_period(encoder);
      // Its first frame holds the encoder delay's silence; from the second on, an aligned
      // encoder writes the very bytes of one that ran all along.
      seams.warm_up_frames = 2;
      seams.settle_frames = 2;
      // 2.6 ms a second of range; the cuts cost two frames, and the alignment may move the
      // seam by up to 2.6 s (at 44.1 kHz and 128 kbit/s).
      seams.shortest_range = 30;
      return seams;
    case AV_CODEC_ID_MP3:
      seams.kind = EncoderSeams::Kind::mp3_frames;
      seams.frame_size = encoder.frame_size;
      seams.alignment_frames = padding_period(encoder);
      // The psychoacoustic model and the reservoir settle within a second: after 32 frames
      // (0.84 s), no 50 ms window of the tests' material loses more than 0.3 dB at a seam, where
      // 16 frames left 3 dB at 22050 Hz and 64 kbit/s.
      seams.warm_up_frames = 32;
      seams.search_frames = 16;
      seams.settle_frames = 4;
      // 10 ms a second of range; the cuts cost 52 frames (1.4 s) of encoding at each seam.
      seams.shortest_range = 15;
      return seams;
    default: return std::nullopt;
  }
}

double decoding_share(const EncoderSeams& seams) {
  // On the benchmark's 10 minutes of AAC: 0.37 s of demultiplexing and decoding in jobs of
  // 0.58 s (WAV), 1.5 s (AC-3) and 6.2 s (MP3 at 128 kbit/s) of processor time.
  switch (seams.kind) {
    case EncoderSeams::Kind::samples: return 0.64;
    case EncoderSeams::Kind::frames: return 0.25;
    case EncoderSeams::Kind::mp3_frames: return 0.06;
  }
  return 0.0;
}

SegmentPlan plan_segments(const PlanFacts& facts) {
  if (facts.workers < 2 || !facts.seams || !facts.range_samples || facts.input_rate <= 0 || facts.output_rate <= 0)
    return one_segment(facts);
  // Where decoding is most of the work and each worker would decode from the range's start, the
  // cuts save less than decoding ahead on a thread of its own, beside the one pipeline.
  if (facts.prefix_cost >= kDecodingAheadShare) return one_segment(facts);
  const int64_t range = std::min(*facts.range_samples, facts.sample_limit);
  // Workers that decode the range from its start save less by each cut.
  const double shortest = static_cast<double>(facts.seams->shortest_range) / (1.0 - facts.prefix_cost);
  if (static_cast<double>(range) < shortest * facts.output_rate) return one_segment(facts);
  const int64_t count = std::min<int64_t>(facts.workers, range / (kShortestSegment * facts.output_rate));
  if (count < 2) return one_segment(facts);

  const EncoderSeams& seams = *facts.seams;
  const int64_t common = std::gcd(facts.input_rate, facts.output_rate);
  const int64_t input_period = facts.input_rate / common;  // input samples per resampling period
  const int64_t output_period = facts.output_rate / common;
  const int64_t encoder_unit = static_cast<int64_t>(seams.frame_size) * seams.alignment_frames;
  const int64_t unit = std::lcm(output_period, encoder_unit);
  const int64_t lead_in_periods = (kResamplerLeadIn + output_period - 1) / output_period;
  const int64_t warm_up = static_cast<int64_t>(seams.warm_up_frames) * seams.frame_size;
  const int64_t overlap = static_cast<int64_t>(seams.search_frames + seams.settle_frames) * seams.frame_size;

  SegmentPlan plan = one_segment(facts);
  for (int64_t k = 1; k < count; ++k) {
    const auto ideal =
        static_cast<int64_t>(static_cast<double>(range) * segment_start_share(k, count, facts.prefix_cost));
    const int64_t encode_from = (ideal + unit / 2) / unit * unit;
    const int64_t join_from = encode_from + warm_up;
    // Each segment must stay long enough to be worth a worker, the last one included.
    if (join_from - plan.join_from.back() < kShortestSegment * facts.output_rate / 2) continue;
    if (range - join_from < kShortestSegment * facts.output_rate / 2) break;
    plan.bounds.back().encode_until = join_from + overlap;
    PipelineBounds next;
    next.resample_from = (encode_from / output_period - lead_in_periods) * input_period;
    next.resampled_from = (encode_from / output_period - lead_in_periods) * output_period;
    next.encode_from = encode_from;
    next.encode_until = facts.sample_limit;
    plan.bounds.push_back(next);
    plan.join_from.push_back(join_from);
  }
  if (plan.bounds.size() > 1)
    for (auto& bounds : plan.bounds) bounds.fixed_input_shape = true;
  return plan;
}

}  // namespace enginebin
