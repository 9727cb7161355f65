#include "platform/com/system_values.h"

#include <cstdlib>
#include <cstring>
#include <limits>

int WINAPI MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const long long product = static_cast<long long>(number) * numerator;
  long long quotient = product / denominator;
  const long long remainder = product % denominator;
  // |remainder| * 2 >= |denominator|: a half or more rounds away from zero.
  const long long twice = remainder < 0 ? -2 * remainder : 2 * remainder;
  const long long magnitude = denominator < 0 ? -static_cast<long long>(denominator) : denominator;
  if (twice >= magnitude) quotient += ((product < 0) != (denominator < 0)) ? -1 : 1;
  if (quotient > std::numeric_limits<int>::max() || quotient < std::numeric_limits<int>::min()) return -1;
  return static_cast<int>(quotient);
}

LCID WINAPI GetUserDefaultLCID() {
  struct Language {
    const char* code;
    WORD primary;
  };
  static constexpr Language kLanguages[] = {
      {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06}, {"de", 0x07}, {"el", 0x08},
      {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C}, {"he", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10},
      {"ja", 0x11}, {"ko", 0x12}, {"nl", 0x13}, {"nb", 0x14}, {"no", 0x14}, {"pl", 0x15}, {"pt", 0x16}, {"ro", 0x18},
      {"ru", 0x19}, {"hr", 0x1A}, {"sk", 0x1B}, {"sv", 0x1D}, {"th", 0x1E}, {"tr", 0x1F}, {"uk", 0x22},
  };
  const char* locale = nullptr;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      locale = value;
      break;
    }
  }
  WORD primary = 0x09;
  if (locale && std::strlen(locale) >= 2) {
    for (const Language& language : kLanguages)
      if (std::strncmp(locale, language.code, 2) == 0 && (locale[2] == '\0' || locale[2] == '_' || locale[2] == '.'))
        primary = language.primary;
  }
  return MAKELCID(MAKELANGID(primary, SUBLANG_DEFAULT), SORT_DEFAULT);
}
