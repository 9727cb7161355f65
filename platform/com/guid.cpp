#include "platform/com/guid.h"

#include <cstdio>

namespace com {

std::string GuidToString(REFGUID g) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

namespace {
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ReadHex(const std::string& text, std::size_t at, int digits, std::uint32_t& value) {
  value = 0;
  for (int i = 0; i < digits; ++i) {
    int digit = HexValue(text[at + i]);
    if (digit < 0) return false;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return true;
}
}  // namespace

bool GuidFromString(const std::string& text, GUID& guid) {
  // {8-4-4-4-12}
  if (text.size() != 38 || text[0] != '{' || text[37] != '}' || text[9] != '-' || text[14] != '-' || text[19] != '-' ||
      text[24] != '-')
    return false;
  GUID result{};
  std::uint32_t value = 0;
  if (!ReadHex(text, 1, 8, value)) return false;
  result.Data1 = value;
  if (!ReadHex(text, 10, 4, value)) return false;
  result.Data2 = static_cast<std::uint16_t>(value);
  if (!ReadHex(text, 15, 4, value)) return false;
  result.Data3 = static_cast<std::uint16_t>(value);
  const std::size_t bytePlaces[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!ReadHex(text, bytePlaces[i], 2, value)) return false;
    result.Data4[i] = static_cast<std::uint8_t>(value);
  }
  guid = result;
  return true;
}

std::size_t GuidHash::operator()(REFGUID guid) const noexcept {
  std::uint64_t halves[2];
  std::memcpy(halves, &guid, sizeof halves);
  return std::hash<std::uint64_t>()(halves[0] * 0x9E3779B97F4A7C15ull ^ halves[1]);
}

}  // namespace com
