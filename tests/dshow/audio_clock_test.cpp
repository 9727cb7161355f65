// The audio renderer's clock on its own, with made-up steady times: no device, no waiting.
#include "platform/dshow/audio_clock.h"

#include <gtest/gtest.h>

namespace dshow_test {
namespace {

using dshow::AudioClock;

constexpr int kRate = 48000;
constexpr REFERENCE_TIME kMs = UNITS / 1000;
constexpr int64_t kFramesPerMs = kRate / 1000;

TEST(AudioClock, StandsAtTheStartUntilSomethingIsHeardThenFollowsTheChunkBeingHeard) {
  AudioClock clock(kRate);
  clock.Run(0, 1000 * kMs);
  EXPECT_EQ(0, clock.Read(1050 * kMs)) << "nothing handed over yet";
  // 100 ms of sound handed over at 1060 ms, heard from 1080 ms (the device's delay) on.
  clock.HandedOver(1080 * kMs, 0, 100 * kFramesPerMs);
  EXPECT_EQ(0, clock.Read(1070 * kMs));
  EXPECT_EQ(30 * kMs, clock.Read(1110 * kMs));
  EXPECT_EQ(100 * kMs, clock.Read(1500 * kMs)) << "waiting for data: it stops at the end of what was handed over";
  clock.HandedOver(1600 * kMs, 100 * kFramesPerMs, 100 * kFramesPerMs);
  EXPECT_EQ(150 * kMs, clock.Read(1650 * kMs));
}

TEST(AudioClock, AddsTheStartTimeAndNeverGoesBack) {
  AudioClock clock(kRate);
  clock.Run(5 * UNITS, 0);
  clock.HandedOver(0, 0, 200 * kFramesPerMs);
  EXPECT_EQ(5 * UNITS + 150 * kMs, clock.Read(150 * kMs));
  // A chunk said to be heard later than the last one (a device that reports late) cannot pull it back.
  clock.HandedOver(400 * kMs, 100 * kFramesPerMs, 10 * kFramesPerMs);
  EXPECT_EQ(5 * UNITS + 150 * kMs, clock.Read(200 * kMs));
  EXPECT_EQ(5 * UNITS + 150 * kMs, clock.Read(100 * kMs)) << "an earlier steady time";
}

TEST(AudioClock, PausedItResumesFromTheEndOfWhatTheDeviceHeldAndStandsStill) {
  AudioClock clock(kRate);
  clock.Run(0, 0);
  clock.HandedOver(0, 0, 50 * kFramesPerMs);
  EXPECT_EQ(20 * kMs, clock.Read(20 * kMs));
  clock.Pause(25 * kMs, 50 * kFramesPerMs);  // 50 ms went to the device; it plays them out
  EXPECT_FALSE(clock.Running());
  EXPECT_EQ(50 * kMs, clock.Read(30 * kMs));
  EXPECT_EQ(50 * kMs, clock.Read(5000 * kMs));
  clock.Run(0, 5000 * kMs);
  EXPECT_EQ(50 * kMs, clock.Read(5100 * kMs)) << "the chunk heard before the pause does not count again";
  clock.HandedOver(5120 * kMs, 50 * kFramesPerMs, 50 * kFramesPerMs);
  EXPECT_EQ(60 * kMs, clock.Read(5130 * kMs));
}

TEST(AudioClock, RunsOnWithTheSteadyTimeOnceTheLastSampleHasBeenHeard) {
  AudioClock clock(kRate);
  clock.Run(0, 0);
  clock.HandedOver(10 * kMs, 0, 40 * kFramesPerMs);
  clock.HandedOverEnd(20 * kMs);
  EXPECT_TRUE(clock.EndHandedOver());
  EXPECT_FALSE(clock.EndHeard(49 * kMs));
  EXPECT_EQ(35 * kMs, clock.Read(45 * kMs));
  EXPECT_TRUE(clock.EndHeard(50 * kMs));
  EXPECT_EQ(40 * kMs, clock.Read(50 * kMs));
  EXPECT_EQ(140 * kMs, clock.Read(150 * kMs));
  clock.Forget();
  EXPECT_FALSE(clock.EndHandedOver());
  EXPECT_EQ(140 * kMs, clock.Read(300 * kMs)) << "after a flush it waits for new sound";
}

TEST(AudioClock, AnEndWithNothingSoundingIsHeardAtOnce) {
  AudioClock clock(kRate);
  clock.Run(0, 0);
  clock.HandedOverEnd(70 * kMs);
  EXPECT_TRUE(clock.EndHeard(70 * kMs));
}

TEST(AudioClock, ConvertsBetweenFramesAndTimeToTheNearest) {
  AudioClock clock(44100);
  EXPECT_EQ(UNITS, clock.TimeOf(44100));
  EXPECT_EQ(227, clock.TimeOf(1));  // 226.76 units
  EXPECT_EQ(1, clock.FramesOf(227));
  EXPECT_EQ(0, clock.FramesOf(113));
  clock.SetRate(8000);
  EXPECT_EQ(8000, clock.FramesOf(UNITS));
  // Hours of stream time do not overflow.
  EXPECT_EQ(int64_t{8000} * 3600 * 100, clock.FramesOf(int64_t{3600} * 100 * UNITS));
}

}  // namespace
}  // namespace dshow_test
