#include "app/time_codes.h"

#include <gtest/gtest.h>

#include "engine/mpegconverter.h"

TEST(SecondsToTime, TruncatesEveryPartAndPadsToTwoDigits) {
  EXPECT_EQ(SecondsToTime(false, 0), "00:00:00");
  EXPECT_EQ(SecondsToTime(false, 91), "00:01:31");
  EXPECT_EQ(SecondsToTime(false, 59.99), "00:00:59");
  EXPECT_EQ(SecondsToTime(false, 3599.9), "00:59:59");
  EXPECT_EQ(SecondsToTime(false, 30.75), "00:00:30");
  EXPECT_EQ(SecondsToTime(false, 36000), "10:00:00");
  EXPECT_EQ(SecondsToTime(false, 360000), "100:00:00");
  EXPECT_EQ(SecondsToTime(true, 83.47), "00:01:23.4");
  EXPECT_EQ(SecondsToTime(true, 5), "00:00:05.0");
}

TEST(SecondsToTime, RoundTripsThroughTimeToSecondsBelowOneHundredHours) {
  for (int seconds : {0, 1, 59, 60, 61, 3599, 3600, 3661, 86399, 359999}) {
    EXPECT_EQ(Tmpegconverter::TimeToSeconds(SecondsToTime(false, seconds)), seconds);
  }
}
