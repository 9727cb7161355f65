#include <gtest/gtest.h>

#include "platform/com/automation.h"

namespace {

TEST(Bstr, KeepsItsLengthInFrontAndEndsInAZeroCharacter) {
  BSTR text = SysAllocString(u"abc");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 3u);
  EXPECT_EQ(SysStringByteLen(text), 6u);
  std::uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<char*>(text) - 4, 4);
  EXPECT_EQ(prefix, 6u);
  EXPECT_EQ(text[3], u'\0');
  SysFreeString(text);

  // Embedded zeros count; a null BSTR is the empty string.
  BSTR withZero = SysAllocStringLen(u"a\0b", 3);
  EXPECT_EQ(SysStringLen(withZero), 3u);
  SysFreeString(withZero);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
}

TEST(Bstr, ConvertsUtf8BothWaysIncludingCharactersBeyondSixteenBits) {
  const std::string text = "Ré\xE2\x82\xAC \xF0\x9F\x8E\xB5.mp4";  // é, €, a musical note
  com::Bstr wide(text);
  EXPECT_EQ(SysStringLen(wide.Get()), 10u);  // the note takes a surrogate pair
  EXPECT_EQ(wide.Utf8(), text);
  // Broken sequences turn into replacement characters instead of being read past.
  EXPECT_EQ(com::Utf16ToUtf8(com::Utf8ToUtf16("a\xC3")), "a\xEF\xBF\xBD");
  EXPECT_EQ(com::Utf16ToUtf8(com::Utf8ToUtf16("\xC0\xAF")), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

struct CountedObject : IUnknown {
  ULONG count = 1;
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++count; }
  ULONG Release() override { return --count; }
};

TEST(Variant, CopyDuplicatesStringsAndAddsReferencesAndClearReleasesThem) {
  CountedObject object;
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_UNKNOWN;
  source.punkVal = &object;
  object.AddRef();
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_EQ(object.count, 3u);
  EXPECT_EQ(VariantClear(&copy), S_OK);
  EXPECT_EQ(copy.vt, VT_EMPTY);
  VariantClear(&source);
  EXPECT_EQ(object.count, 1u);

  com::Variant text;
  text->vt = VT_BSTR;
  text->bstrVal = SysAllocString(u"hello");
  com::Variant other = text;
  EXPECT_NE(other->bstrVal, text->bstrVal);
  EXPECT_EQ(std::u16string(other->bstrVal), u"hello");

  // By-reference content belongs to somebody else and is left alone.
  LONG value = 7;
  VARIANT byRef;
  VariantInit(&byRef);
  byRef.vt = VT_I4 | VT_BYREF;
  byRef.plVal = &value;
  EXPECT_EQ(VariantClear(&byRef), S_OK);
  EXPECT_EQ(value, 7);
}

TEST(ComPtr, BalancesReferences) {
  CountedObject object;
  {
    ComPtr<IUnknown> first(&object);
    EXPECT_EQ(object.count, 2u);
    ComPtr<IUnknown> second = first;
    EXPECT_EQ(object.count, 3u);
    ComPtr<IUnknown> moved = std::move(second);
    EXPECT_EQ(object.count, 3u);
    EXPECT_FALSE(first.As<IDispatch>());
  }
  EXPECT_EQ(object.count, 1u);
}

}  // namespace
