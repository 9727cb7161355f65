// Times and ranges of the command line, to the millisecond.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cli {

// Milliseconds from "SS", "MM:SS" or "HH:MM:SS", each with up to three decimals. Minutes and
// seconds after a colon are below 60. nullopt for anything else.
std::optional<int64_t> ParseTime(std::string_view text);

// A part of a source: from Begin to End, or to the source's end when End is missing.
struct TimeRange {
  int64_t Begin = 0;           // milliseconds
  std::optional<int64_t> End;  // milliseconds, after Begin
};

// "BEGIN-END", "BEGIN-" (to the end) or "-END" (from the start). Throws UsageError with what is
// wrong: a time that cannot be read, or an end that is not after its begin.
TimeRange ParseRange(std::string_view text);

// "12.345": seconds with three decimals, as the engine takes them.
std::string SecondsText(int64_t milliseconds);

// "01:02.500", or "1:01:02.500" from an hour on: a time of the command line shown back.
std::string TimeText(int64_t milliseconds);

// "01:02.500-01:10.000", or "01:02.500-" for a range to the end.
std::string RangeText(const TimeRange& range);

// A time remaining in whole seconds: "02:03", or "1:02:03" from an hour on.
std::string ClockText(double seconds);

}  // namespace cli
