// GUID, IID and CLSID with their comparison and their registry text form "{xxxxxxxx-xxxx-...}".
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool IsEqualIID(REFIID a, REFIID b) { return IsEqualGUID(a, b); }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return IsEqualGUID(a, b); }
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }
inline bool operator!=(REFGUID a, REFGUID b) { return !IsEqualGUID(a, b); }

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

namespace com {
// "{22D6F312-B0F6-11D0-94AB-0080C74C7E95}": upper-case hex digits in braces, as the registry keeps it.
std::string GuidToString(REFGUID guid);
// Accepts that form, braces included, in either letter case; false for anything else.
bool GuidFromString(const std::string& text, GUID& guid);

struct GuidHash {
  std::size_t operator()(REFGUID guid) const noexcept;
};
}  // namespace com
