#include "time_code.h"

#include "console.h"

#include <vector>

namespace enginebin {
namespace {

// Keeps every accepted value far from int64 overflow (about 31 years).
constexpr int64_t kMaxWholeSeconds = 1'000'000'000;

std::optional<int64_t> parse_digits(std::string_view digits) {
  if (digits.empty() || digits.size() > 10) return std::nullopt;
  int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// Fraction digits beyond microseconds are ignored (truncated).
std::optional<int64_t> parse_fraction_micros(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  int64_t micros = 0;
  int64_t scale = kMicrosPerSecond / 10;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    micros += (c - '0') * scale;
    scale /= 10;
  }
  return micros;
}

}  // namespace

std::optional<int64_t> parse_time_code(std::string_view text) {
  int64_t fraction = 0;
  if (const auto dot = text.find('.'); dot != std::string_view::npos) {
    const auto parsed = parse_fraction_micros(text.substr(dot + 1));
    if (!parsed) return std::nullopt;
    fraction = *parsed;
    text = text.substr(0, dot);
  }

  std::vector<std::string_view> parts;
  for (std::size_t begin = 0;;) {
    const auto colon = text.find(':', begin);
    parts.push_back(text.substr(begin, colon == std::string_view::npos ? colon : colon - begin));
    if (colon == std::string_view::npos) break;
    begin = colon + 1;
  }
  if (parts.size() > 3) return std::nullopt;

  int64_t seconds = 0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const auto value = parse_digits(parts[i]);
    if (!value) return std::nullopt;
    // Every part after the first is a minutes or seconds field.
    if (i > 0 && *value >= 60) return std::nullopt;
    seconds = seconds * 60 + *value;
    if (seconds > kMaxWholeSeconds) return std::nullopt;
  }
  return seconds * kMicrosPerSecond + fraction;
}

namespace {

// HH:MM:SS and the first digits of the fraction, each digit truncated.
std::string format_time(int64_t microseconds, int fraction_digits) {
  if (microseconds < 0) microseconds = 0;
  const int64_t total_seconds = microseconds / kMicrosPerSecond;
  int64_t unit = kMicrosPerSecond;
  for (int i = 0; i < fraction_digits; ++i) unit /= 10;
  const int fraction = static_cast<int>(microseconds % kMicrosPerSecond / unit);
  return format_text("%02d:%02d:%02d.%0*d", static_cast<int>(total_seconds / 3600),
                     static_cast<int>(total_seconds / 60 % 60), static_cast<int>(total_seconds % 60), fraction_digits,
                     fraction);
}

}  // namespace

std::string format_duration(int64_t microseconds) { return format_time(microseconds, 1); }

std::string format_position(int64_t microseconds) { return format_time(microseconds, 2); }

}  // namespace enginebin
