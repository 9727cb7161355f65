#include "platform/dshow/com_object.h"

#include <cstring>

#include "platform/com/task_memory.h"

namespace dshow {

std::u16string WideString(LPCWSTR text) { return text ? std::u16string(text) : std::u16string(); }

std::u16string WideFromUtf8(const std::string& text) { return com::Utf8ToUtf16(text); }

std::string Utf8FromWide(const std::u16string& text) { return com::Utf16ToUtf8(text); }

LPWSTR TaskMemString(const std::u16string& text) {
  auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(WCHAR)));
  if (!copy) return nullptr;
  std::memcpy(copy, text.data(), text.size() * sizeof(WCHAR));
  copy[text.size()] = 0;
  return copy;
}

}  // namespace dshow
