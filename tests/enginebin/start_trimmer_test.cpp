#include "enginebin/start_trimmer.h"

#include <gtest/gtest.h>

namespace enginebin {
namespace {

constexpr int kRate = 48000;
constexpr int kFrame = 1024;

int64_t micros_of(int64_t samples) { return samples * 1'000'000 / kRate; }

TEST(StartTrimmer, DropsWholeFramesBeforeTheStartAndPartOfTheOneAcrossIt) {
  // Start at sample 5000: frames at 0, 1024, ... 4096 is the one that holds it.
  StartTrimmer trimmer(micros_of(5000));
  for (int64_t frame = 0; frame < 4; ++frame)
    EXPECT_EQ(trimmer.samples_to_drop(micros_of(frame * kFrame), kFrame, kRate), kFrame);
  EXPECT_FALSE(trimmer.reached());
  EXPECT_EQ(trimmer.samples_to_drop(micros_of(4096), kFrame, kRate), 5000 - 4096);
  EXPECT_TRUE(trimmer.reached());
  EXPECT_EQ(trimmer.samples_to_drop(micros_of(5120), kFrame, kRate), 0);
}

TEST(StartTrimmer, MillisecondTimestampsDoNotMoveTheCut) {
  // A container that keeps milliseconds: 21.333 ms frames are stamped 0, 21, 43, 64, ...
  StartTrimmer trimmer(micros_of(5000));
  int dropped = 0;
  for (int64_t frame = 0; !trimmer.reached(); ++frame) {
    const int64_t rounded = micros_of(frame * kFrame) / 1000 * 1000;
    dropped += trimmer.samples_to_drop(rounded, kFrame, kRate);
  }
  EXPECT_EQ(dropped, 5000);
}

TEST(StartTrimmer, FramesWithoutTimestampsFollowThePreviousOne) {
  StartTrimmer trimmer(micros_of(3000));
  EXPECT_EQ(trimmer.samples_to_drop(micros_of(0), kFrame, kRate), kFrame);
  EXPECT_EQ(trimmer.samples_to_drop(std::nullopt, kFrame, kRate), kFrame);
  EXPECT_EQ(trimmer.samples_to_drop(std::nullopt, kFrame, kRate), 3000 - 2048);
}

TEST(StartTrimmer, ATimestampJumpStartsANewRun) {
  StartTrimmer trimmer(micros_of(10000));
  EXPECT_EQ(trimmer.samples_to_drop(micros_of(0), kFrame, kRate), kFrame);
  // The next frame is stamped well past where the first one ended: trust the stamp.
  EXPECT_EQ(trimmer.samples_to_drop(micros_of(9500), kFrame, kRate), 500);
}

TEST(StartTrimmer, AFarStartDropsWithoutOverflow) {
  StartTrimmer trimmer(int64_t{1'000'000'000} * 1'000'000);
  EXPECT_EQ(trimmer.samples_to_drop(0, kFrame, 768000), kFrame);
  EXPECT_FALSE(trimmer.reached());
}

}  // namespace
}  // namespace enginebin
