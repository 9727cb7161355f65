#include "cli/time_ranges.h"

#include <cstdio>
#include <vector>

#include "cli/usage_error.h"

namespace cli {
namespace {

constexpr int64_t kMaxMilliseconds = int64_t{1} << 50;  // far beyond any source, far from overflow

// Digits only, at least one; nullopt otherwise or when too large.
std::optional<int64_t> Digits(std::string_view text) {
  if (text.empty() || text.size() > 15) return std::nullopt;
  int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t begin = 0;;) {
    const std::size_t end = text.find(separator, begin);
    parts.push_back(text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin));
    if (end == std::string_view::npos) return parts;
    begin = end + 1;
  }
}

}  // namespace

std::optional<int64_t> ParseTime(std::string_view text) {
  int64_t fraction = 0;
  if (const std::size_t dot = text.find('.'); dot != std::string_view::npos) {
    std::string_view decimals = text.substr(dot + 1);
    if (decimals.empty() || decimals.size() > 3) return std::nullopt;
    const auto value = Digits(decimals);
    if (!value) return std::nullopt;
    fraction = *value;
    for (std::size_t i = decimals.size(); i < 3; ++i) fraction *= 10;
    text = text.substr(0, dot);
  }
  const std::vector<std::string_view> parts = Split(text, ':');
  if (parts.size() > 3) return std::nullopt;
  int64_t seconds = 0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const auto value = Digits(parts[i]);
    // Every part after the first is a count of minutes or seconds within the next larger unit.
    if (!value || (i > 0 && (*value >= 60 || parts[i].size() != 2))) return std::nullopt;
    seconds = seconds * 60 + *value;
  }
  const int64_t total = seconds * 1000 + fraction;
  if (seconds > kMaxMilliseconds / 1000) return std::nullopt;
  return total;
}

TimeRange ParseRange(std::string_view text) {
  const std::size_t dash = text.find('-');
  if (dash == std::string_view::npos || text.find('-', dash + 1) != std::string_view::npos || text.size() == 1)
    throw UsageError("--range takes BEGIN-END (times as SS, MM:SS or HH:MM:SS), not '" + std::string(text) + "'");
  const auto time = [&](std::string_view part) {
    const auto value = ParseTime(part);
    if (!value)
      throw UsageError("'" + std::string(part) + "' in --range " + std::string(text) +
                       " is no time (SS, MM:SS or HH:MM:SS, up to three decimals)");
    return *value;
  };
  TimeRange range;
  if (dash > 0) range.Begin = time(text.substr(0, dash));
  if (dash + 1 < text.size()) {
    range.End = time(text.substr(dash + 1));
    if (*range.End <= range.Begin) throw UsageError("--range " + std::string(text) + " ends before it begins");
  }
  return range;
}

std::string SecondsText(int64_t milliseconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(milliseconds / 1000),
                static_cast<long long>(milliseconds % 1000));
  return text;
}

std::string TimeText(int64_t milliseconds) {
  const long long seconds = milliseconds / 1000;
  const long long thousandths = milliseconds % 1000;
  char text[48];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%03lld", seconds / 3600, seconds / 60 % 60, seconds % 60,
                  thousandths);
  } else {
    std::snprintf(text, sizeof text, "%02lld:%02lld.%03lld", seconds / 60, seconds % 60, thousandths);
  }
  return text;
}

std::string RangeText(const TimeRange& range) {
  return TimeText(range.Begin) + "-" + (range.End ? TimeText(*range.End) : "");
}

std::string ClockText(double seconds) {
  const long long whole = seconds > 0 ? static_cast<long long>(seconds + 0.5) : 0;
  char text[32];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%02lld:%02lld", whole / 60, whole % 60);
  }
  return text;
}

}  // namespace cli
