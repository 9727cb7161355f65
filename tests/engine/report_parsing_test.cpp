#include <gtest/gtest.h>

#include <memory>

#include "engine/mpegconverter.h"

namespace {

std::unique_ptr<Tmpegconverter> WithOutput(const std::string& output) {
  auto runner = std::make_unique<Tmpegconverter>();
  runner->Output = output;
  return runner;
}

std::string Progress(double seconds) {
  char line[128];
  std::snprintf(line, sizeof line, "size=%8.0fkB time=%0.1f bitrate=%6.1fkbits/s    \r", 123.0, seconds, 128.0);
  return line;
}

const std::string kInputReport =
    "Input #0, avi, from 'clip.avi':\n  Duration: 01:02:03.9, start: 0.000000, bitrate: 1152 kb/s\n";

}  // namespace

TEST(TimeToSeconds, ReadsFixedPositionsWithoutRangeChecks) {
  EXPECT_EQ(Tmpegconverter::TimeToSeconds("00:01:31"), 91);
  EXPECT_EQ(Tmpegconverter::TimeToSeconds("10:00:00"), 36000);
  EXPECT_EQ(Tmpegconverter::TimeToSeconds("00:75:00"), 4500);
  EXPECT_EQ(Tmpegconverter::TimeToSeconds("01x02y03"), 3723) << "separators are not looked at";
  EXPECT_EQ(Tmpegconverter::TimeToSeconds(" 1: 2: 3"), 3723) << "leading blanks are skipped";
}

TEST(TimeToSeconds, RaisesTheConversionErrorNamingThePart) {
  auto messageOf = [](const std::string& text) {
    try {
      Tmpegconverter::TimeToSeconds(text);
    } catch (const EConvertError& e) {
      return e.Message();
    }
    return std::string("no error");
  };
  EXPECT_EQ(messageOf(""), "'' is not a valid integer value");
  EXPECT_EQ(messageOf("N/A, bit"), "'N/' is not a valid integer value");
  EXPECT_EQ(messageOf("1:02:03"), "'1:' is not a valid integer value");
  EXPECT_EQ(messageOf("00:01"), "'' is not a valid integer value");
}

TEST(GetDuration, TakesTheFirstReportAndDropsTheTenths) {
  EXPECT_EQ(WithOutput("")->GetDuration(), "00:00:00");
  EXPECT_EQ(WithOutput("clip.avi: Unknown format\n")->GetDuration(), "00:00:00");
  EXPECT_EQ(WithOutput(kInputReport)->GetDuration(), "01:02:03");
  EXPECT_EQ(WithOutput(kInputReport + "  Duration: 00:00:05.0, start")->GetDuration(), "01:02:03");
  EXPECT_EQ(WithOutput("  Duration: N/A, bitrate: N/A\n")->GetDuration(), "N/A, bit");
  EXPECT_EQ(WithOutput("  Duration: 00:0")->GetDuration(), "00:0") << "a cut-off report gives what is there";
  EXPECT_EQ(WithOutput("  Duration:  0:01:02\r\n")->GetDuration(), "0:01:02") << "blanks trimmed from both ends";
}

TEST(GetDuration, ALengthBelowOneSecondIsToldFromNoLengthAtAll) {
  struct Case {
    const char* output;
    bool belowOneSecond;
  };
  for (const Case& c :
       {Case{"  Duration: 00:00:00.4, start: 0.000000", true}, Case{"  Duration: 00:00:00.0, start: 0", false},
        Case{"  Duration: 00:00:01.5, start: 0", false}, Case{"  Duration: N/A, start: 0", false},
        Case{"x.avi: Unknown format", false}, Case{"  Duration: 00:00:00.", false}}) {
    EXPECT_EQ(WithOutput(c.output)->ReportsLengthBelowOneSecond(), c.belowOneSecond) << c.output;
  }
}

TEST(GetTime, ReadsTheWholeSecondsOfTheLastProgressReport) {
  EXPECT_EQ(WithOutput("")->GetTime(), 0);
  EXPECT_EQ(WithOutput(kInputReport + Progress(3.0) + Progress(16.4))->GetTime(), 16);
  EXPECT_EQ(WithOutput(kInputReport + Progress(16.9))->GetTime(), 16) << "truncated, never rounded";
  EXPECT_EQ(WithOutput(Progress(1234.5))->GetTime(), 1234);
}

TEST(GetTime, LooksOnlyAtTheLast51Characters) {
  const std::string report = kInputReport + Progress(16.4);
  // "time=" begins 16 characters into a report, so 15 characters after the report keep it in the
  // window and 16 push it out.
  ASSERT_EQ(Progress(16.4).size(), 52u);
  EXPECT_EQ(WithOutput(report + std::string(15, 'x'))->GetTime(), 16);
  EXPECT_EQ(WithOutput(report + std::string(16, 'x'))->GetTime(), 0);
  // A window that starts inside "time=" misses it as well.
  const std::string cut = "time=12.3" + std::string(46, ' ');
  ASSERT_EQ(cut.size(), 55u);
  EXPECT_EQ(WithOutput(cut)->GetTime(), 0);
}

TEST(GetTime, AReportCutBeforeItsDotRaisesTheConversionError) {
  const auto runner = WithOutput(kInputReport + Progress(5.0) + "size=     130kB time=17");
  EXPECT_THROW(runner->GetTime(), EConvertError);
  AnsiString duration, elapsed;
  runner->ParseOutput(true, true, duration, elapsed);
  EXPECT_EQ(duration, "01:02:03");
  EXPECT_EQ(elapsed, "");
}
