#include "enginebin/time_code.h"

#include <gtest/gtest.h>

namespace enginebin {
namespace {

TEST(TimeCode, ReadsTimeCodesAndSeconds) {
  EXPECT_EQ(parse_time_code("00:01:31"), 91'000'000);
  EXPECT_EQ(parse_time_code("10:00:00"), 36'000'000'000);
  EXPECT_EQ(parse_time_code("01:02:03.45"), 3'723'450'000);
  EXPECT_EQ(parse_time_code("02:03"), 123'000'000);
  EXPECT_EQ(parse_time_code("91"), 91'000'000);
  EXPECT_EQ(parse_time_code("1.2345"), 1'234'500);
  EXPECT_EQ(parse_time_code("0.0000019"), 1) << "digits past microseconds are truncated";
  EXPECT_EQ(parse_time_code("123:00:00"), 442'800'000'000) << "hours may exceed two digits";
}

TEST(TimeCode, RefusesWhatIsNoTime) {
  for (const char* text : {"", "-1", "+1", " 1", "1 ", "1:", ":1", "00:60:00", "00:00:60", "1:2:3:4", "1.", ".5",
                           "1.2.3", "1e3", "abc", "99999999999"})
    EXPECT_EQ(parse_time_code(text), std::nullopt) << '"' << text << '"';
}

TEST(TimeCode, DurationTextTruncatesTheTenths) {
  EXPECT_EQ(format_duration(0), "00:00:00.0");
  EXPECT_EQ(format_duration(83'470'000), "00:01:23.4");
  EXPECT_EQ(format_duration(3'599'999'999), "00:59:59.9");
  EXPECT_EQ(format_duration(360'000'000'000), "100:00:00.0");
}

}  // namespace
}  // namespace enginebin
