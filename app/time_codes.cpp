#include "app/time_codes.h"

#include <cmath>

namespace {

AnsiString TwoDigits(long long value) {
  const AnsiString text = IntToStr(value);
  return text.size() == 1 ? "0" + text : text;
}

}  // namespace

AnsiString SecondsToTime(bool withTenths, double seconds) {
  const auto h = static_cast<long long>(std::trunc(seconds / 60 / 60));
  const auto m = static_cast<long long>(std::trunc(seconds / 60 - static_cast<double>(h) * 60));
  const auto s =
      static_cast<long long>(std::trunc(seconds - static_cast<double>(h) * 3600 - static_cast<double>(m) * 60));
  AnsiString text = TwoDigits(h) + ":" + TwoDigits(m) + ":" + TwoDigits(s);
  if (withTenths) {
    double whole = 0;
    const auto t = static_cast<long long>(std::trunc(std::modf(seconds, &whole) * 10));
    text += "." + IntToStr(t);
  }
  return text;
}
