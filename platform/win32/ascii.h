// Internal: names that Windows compares without regard to ASCII letter case (INI sections and
// keys, resource names, window classes, verbs).
#pragma once

#include <string_view>

namespace win32::detail {

inline bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace win32::detail
