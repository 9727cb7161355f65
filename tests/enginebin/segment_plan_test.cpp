// The planner: where it cuts, and when it does not.

#include "enginebin/segment_plan.h"

#include <gtest/gtest.h>

#include <limits>
#include <numeric>

namespace enginebin {
namespace {

constexpr int64_t kNoLimit = std::numeric_limits<int64_t>::max();

EncoderSeams mp3_seams() {
  AVCodecContext encoder{};
  encoder.codec_id = AV_CODEC_ID_MP3;
  encoder.frame_size = 1152;
  encoder.sample_rate = 44100;
  encoder.bit_rate = 128000;
  encoder.initial_padding = 529;
  return *encoder_seams(encoder);
}

PlanFacts ten_minutes(int workers, const EncoderSeams& seams) {
  PlanFacts facts;
  facts.workers = workers;
  facts.range_samples = 600 * 44100;
  facts.sample_limit = kNoLimit;
  facts.input_rate = 48000;
  facts.output_rate = 44100;
  facts.seams = seams;
  return facts;
}

TEST(SegmentPlan, FrameSizePaddingRepeatsAsTheBitRateDemands) {
  AVCodecContext encoder{};
  encoder.codec_id = AV_CODEC_ID_AC3;
  encoder.frame_size = 1536;
  encoder.bit_rate = 128000;
  encoder.sample_rate = 44100;
  EXPECT_EQ(encoder_seams(encoder)->alignment_frames, 147);
  encoder.sample_rate = 48000;
  EXPECT_EQ(encoder_seams(encoder)->alignment_frames, 1);
  EXPECT_EQ(mp3_seams().alignment_frames, 49);
  encoder.codec_id = AV_CODEC_ID_FLAC;
  EXPECT_FALSE(encoder_seams(encoder).has_value()) << "no seam rules known";
}

TEST(SegmentPlan, CutsOnTheEncoderGridWithAResamplerLeadIn) {
  const EncoderSeams seams = mp3_seams();
  const SegmentPlan plan = plan_segments(ten_minutes(4, seams));
  ASSERT_EQ(plan.bounds.size(), 4u);
  const int64_t unit = std::lcm<int64_t>(147, 1152 * 49);  // 48000 -> 44100 Hz: 160 in, 147 out
  EXPECT_EQ(plan.bounds.front().encode_from, 0);
  EXPECT_EQ(plan.bounds.back().encode_until, kNoLimit);
  for (std::size_t k = 1; k < plan.bounds.size(); ++k) {
    const PipelineBounds& bounds = plan.bounds[k];
    EXPECT_EQ(bounds.encode_from % unit, 0);
    EXPECT_NEAR(static_cast<double>(bounds.encode_from), 600.0 * 44100 * k / 4, static_cast<double>(unit));
    EXPECT_EQ(plan.join_from[k], bounds.encode_from + 32 * 1152) << "warm-up";
    EXPECT_EQ(plan.bounds[k - 1].encode_until, plan.join_from[k] + 20 * 1152) << "switch search and settling";
    EXPECT_EQ(bounds.resample_from * 147, bounds.resampled_from * 160) << "a whole number of resampling periods";
    EXPECT_GE(bounds.encode_from - bounds.resampled_from, 64);
    EXPECT_LT(bounds.encode_from - bounds.resampled_from, 64 + 147);
    EXPECT_TRUE(bounds.fixed_input_shape);
  }
}

TEST(SegmentPlan, PcmSegmentsMeetWithoutOverlap) {
  PlanFacts facts = ten_minutes(3, EncoderSeams{});
  facts.sample_limit = 500 * 44100;
  const SegmentPlan plan = plan_segments(facts);
  ASSERT_EQ(plan.bounds.size(), 3u);
  for (std::size_t k = 1; k < plan.bounds.size(); ++k) {
    EXPECT_EQ(plan.join_from[k], plan.bounds[k].encode_from);
    EXPECT_EQ(plan.bounds[k - 1].encode_until, plan.join_from[k]);
  }
  EXPECT_EQ(plan.bounds.back().encode_until, 500 * 44100);
  EXPECT_NEAR(static_cast<double>(plan.join_from[1]), 500.0 / 3 * 44100, 147);
}

TEST(SegmentPlan, ShortRangesOneWorkerAndUnknownsStaySequential) {
  const EncoderSeams seams = mp3_seams();
  PlanFacts short_range = ten_minutes(8, seams);
  short_range.range_samples = (seams.shortest_range - 1) * 44100;
  PlanFacts one_worker = ten_minutes(1, seams);
  PlanFacts unknown_length = ten_minutes(8, seams);
  unknown_length.range_samples.reset();
  PlanFacts unknown_encoder = ten_minutes(8, seams);
  unknown_encoder.seams.reset();
  PlanFacts limited = ten_minutes(8, seams);
  limited.sample_limit = 5 * 44100;  // -t shorter than the input
  // WAV where every worker would decode from the range's start: decoding ahead does better.
  PlanFacts decoding_bound = ten_minutes(8, EncoderSeams{});
  decoding_bound.prefix_cost = decoding_share(EncoderSeams{});
  for (const PlanFacts& facts : {short_range, one_worker, unknown_length, unknown_encoder, limited, decoding_bound}) {
    const SegmentPlan plan = plan_segments(facts);
    ASSERT_EQ(plan.bounds.size(), 1u);
    EXPECT_EQ(plan.bounds[0].encode_from, 0);
    EXPECT_EQ(plan.bounds[0].encode_until, facts.sample_limit);
    EXPECT_FALSE(plan.bounds[0].fixed_input_shape);
  }
}

TEST(SegmentPlan, NoSegmentIsShorterThanTheShortestWorthAWorker) {
  PlanFacts facts = ten_minutes(16, mp3_seams());
  facts.range_samples = 45 * 44100;
  const SegmentPlan plan = plan_segments(facts);
  EXPECT_EQ(plan.bounds.size(), static_cast<std::size_t>(45 / kShortestSegment));
  for (std::size_t k = 1; k < plan.join_from.size(); ++k)
    EXPECT_GE(plan.join_from[k] - plan.join_from[k - 1], kShortestSegment * 44100 / 2);
}

}  // namespace
}  // namespace enginebin
