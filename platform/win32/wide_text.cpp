#include "platform/win32/wide_text.h"

#include <cstring>
#include <string>

#include "platform/win32/errors.h"

namespace {

constexpr char16_t kEscapedByte = 0xDC00;

// The length of the valid UTF-8 sequence at text (at most left bytes), or 0 when there is none.
std::size_t Utf8Sequence(const unsigned char* text, std::size_t left, char32_t& codePoint) {
  const unsigned char lead = text[0];
  std::size_t length = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, minimum = 0x80, codePoint = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, minimum = 0x800, codePoint = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, minimum = 0x10000, codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (length > left) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((text[i] & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (text[i] & 0x3F);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  return codePoint < minimum || codePoint > 0x10FFFF || surrogate ? 0 : length;
}

std::u16string ToWide(const unsigned char* text, std::size_t size) {
  std::u16string wide;
  for (std::size_t i = 0; i < size;) {
    char32_t c = 0;
    const std::size_t length = Utf8Sequence(text + i, size - i, c);
    if (length == 0) {
      wide += static_cast<char16_t>(kEscapedByte + text[i]);
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      wide += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      wide += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<char16_t>(c);
    }
    i += length;
  }
  return wide;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string ToNarrow(const char16_t* wide, std::size_t size) {
  std::string out;
  for (std::size_t i = 0; i < size; ++i) {
    const char16_t unit = wide[i];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    if (high && i + 1 < size && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (wide[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= kEscapedByte + 0x80 && unit <= kEscapedByte + 0xFF) {
      out += static_cast<char>(unit - kEscapedByte);
    } else {
      AppendUtf8(out, unit);  // any other lone surrogate as itself, as Windows would keep it
    }
  }
  return out;
}

template <class Out>
int CopyOut(const Out& text, typename Out::value_type* buffer, int size) {
  const int needed = static_cast<int>(text.size());
  if (size == 0) return needed;
  if (buffer == nullptr || size < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(buffer, text.data(), text.size() * sizeof(typename Out::value_type));
  return needed;
}

bool KnownCodePage(UINT codePage) { return codePage == CP_ACP || codePage == CP_UTF8; }

}  // namespace

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength, LPWSTR wide,
                               int wideLength) {
  if (!KnownCodePage(codePage) || flags != 0 || multiByte == nullptr || multiByteLength == 0 || wideLength < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::size_t size = multiByteLength < 0 ? std::strlen(multiByte) + 1 : static_cast<std::size_t>(multiByteLength);
  return CopyOut(ToWide(reinterpret_cast<const unsigned char*>(multiByte), size), wide, wideLength);
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR multiByte,
                               int multiByteLength, LPCSTR, LPBOOL usedDefaultChar) {
  if (!KnownCodePage(codePage) || flags != 0 || wide == nullptr || wideLength == 0 || multiByteLength < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::size_t size = static_cast<std::size_t>(wideLength);
  if (wideLength < 0) {
    size = 0;
    while (wide[size] != 0) ++size;
    ++size;
  }
  if (usedDefaultChar != nullptr) *usedDefaultChar = FALSE;
  return CopyOut(ToNarrow(wide, size), multiByte, multiByteLength);
}
