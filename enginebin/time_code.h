#pragma once
// Time values of the command line (-ss, -t) and of the input report.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace enginebin {

// The engine keeps every time in microseconds.
inline constexpr int64_t kMicrosPerSecond = 1'000'000;

// Reads "HH:MM:SS", "MM:SS" or plain seconds, each with an optional decimal fraction, into
// microseconds. Minutes and seconds after a colon must be below 60. Anything else (signs,
// blanks, empty parts) gives nullopt.
std::optional<int64_t> parse_time_code(std::string_view text);

// The report's duration text "HH:MM:SS.t"; the tenths are truncated, never rounded, so that a
// reader that drops them gets the whole seconds the input really lasts.
std::string format_duration(int64_t microseconds);

// "HH:MM:SS.ss", the hundredths truncated.
std::string format_position(int64_t microseconds);

}  // namespace enginebin
