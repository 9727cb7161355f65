#include "platform/com/automation.h"

#include <cstdlib>
#include <cstring>

namespace {
// The allocation: a 32-bit byte length, the characters, a 0 character.
BSTR AllocateBytes(UINT byteLength) {
  auto* block = static_cast<unsigned char*>(std::malloc(sizeof(std::uint32_t) + byteLength + sizeof(OLECHAR)));
  if (!block) return nullptr;
  std::uint32_t length = byteLength;
  std::memcpy(block, &length, sizeof length);
  std::memset(block + sizeof length + byteLength, 0, sizeof(OLECHAR));
  return reinterpret_cast<BSTR>(block + sizeof length);
}
}  // namespace

BSTR SysAllocString(const OLECHAR* text) {
  if (!text) return nullptr;
  UINT length = 0;
  while (text[length]) ++length;
  return SysAllocStringLen(text, length);
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  BSTR result = AllocateBytes(length * sizeof(OLECHAR));
  if (!result) return nullptr;
  if (text)
    std::memcpy(result, text, length * sizeof(OLECHAR));
  else
    std::memset(result, 0, length * sizeof(OLECHAR));
  return result;
}

BSTR SysAllocStringByteLen(const char* bytes, UINT length) {
  BSTR result = AllocateBytes(length);
  if (!result) return nullptr;
  auto* target = reinterpret_cast<char*>(result);
  if (bytes)
    std::memcpy(target, bytes, length);
  else
    std::memset(target, 0, length);
  target[length] = 0;  // a single 0 byte ends an odd byte string too
  return result;
}

void SysFreeString(BSTR text) {
  if (text) std::free(reinterpret_cast<unsigned char*>(text) - sizeof(std::uint32_t));
}

UINT SysStringByteLen(BSTR text) {
  if (!text) return 0;
  std::uint32_t length;
  std::memcpy(&length, reinterpret_cast<unsigned char*>(text) - sizeof length, sizeof length);
  return length;
}

UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

void VariantInit(VARIANTARG* variant) {
  std::memset(variant, 0, sizeof *variant);
  variant->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANTARG* variant) {
  if (!variant) return E_INVALIDARG;
  if (!(variant->vt & VT_BYREF)) {
    switch (variant->vt) {
      case VT_BSTR: SysFreeString(variant->bstrVal); break;
      case VT_DISPATCH:
      case VT_UNKNOWN:
        if (variant->punkVal) variant->punkVal->Release();
        break;
      default:
        if (variant->vt & VT_ARRAY) return DISP_E_BADVARTYPE;
        break;
    }
  }
  VariantInit(variant);
  return S_OK;
}

HRESULT VariantCopy(VARIANTARG* target, const VARIANTARG* source) {
  if (!target || !source) return E_INVALIDARG;
  if (target == source) return S_OK;
  if ((source->vt & VT_ARRAY) && !(source->vt & VT_BYREF)) return DISP_E_BADVARTYPE;
  HRESULT hr = VariantClear(target);
  if (FAILED(hr)) return hr;
  *target = *source;
  if (!(source->vt & VT_BYREF)) {
    if (source->vt == VT_BSTR && source->bstrVal) {
      target->bstrVal =
          SysAllocStringByteLen(reinterpret_cast<const char*>(source->bstrVal), SysStringByteLen(source->bstrVal));
      if (!target->bstrVal) {
        VariantInit(target);
        return E_OUTOFMEMORY;
      }
    } else if ((source->vt == VT_DISPATCH || source->vt == VT_UNKNOWN) && source->punkVal) {
      source->punkVal->AddRef();
    }
  }
  return S_OK;
}

namespace com {

std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    auto byte = static_cast<unsigned char>(text[i]);
    char32_t code = 0xFFFD;
    std::size_t extra = 0;
    if (byte < 0x80) {
      code = byte;
    } else if ((byte & 0xE0) == 0xC0) {
      code = byte & 0x1F;
      extra = 1;
    } else if ((byte & 0xF0) == 0xE0) {
      code = byte & 0x0F;
      extra = 2;
    } else if ((byte & 0xF8) == 0xF0) {
      code = byte & 0x07;
      extra = 3;
    }
    bool valid = (byte < 0x80 || extra > 0) && i + extra < text.size();
    for (std::size_t k = 1; valid && k <= extra; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80)
        valid = false;
      else
        code = (code << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
    if (valid && (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))) valid = false;
    if (!valid) {
      result.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    i += extra + 1;
    if (code >= 0x10000) {
      code -= 0x10000;
      result.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      result.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      result.push_back(static_cast<char16_t>(code));
    }
  }
  return result;
}

std::string Utf16ToUtf8(const std::u16string& text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code < 0xE000) {
      code = 0xFFFD;  // a lone surrogate
    }
    if (code < 0x80) {
      result.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      result.push_back(static_cast<char>(0xC0 | (code >> 6)));
      result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      result.push_back(static_cast<char>(0xE0 | (code >> 12)));
      result.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      result.push_back(static_cast<char>(0xF0 | (code >> 18)));
      result.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      result.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return result;
}

BSTR AllocBstr(const std::string& text) {
  std::u16string wide = Utf8ToUtf16(text);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::string BstrToUtf8(BSTR text) {
  if (!text) return {};
  return Utf16ToUtf8(std::u16string(text, SysStringLen(text)));
}

}  // namespace com
