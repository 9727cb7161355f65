#include <gtest/gtest.h>

#include "framework/classes.h"
#include "platform/win32/kernel32.h"
#include "platform/win32/resources.h"
#include "tests/support/temp_places.h"

namespace {

std::string AllBytesTwice() {
  std::string bytes;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  }
  return bytes;
}

std::string ResourceBytes(HRSRC resource) {
  const auto* data = static_cast<const char*>(LockResource(LoadResource(nullptr, resource)));
  return std::string(data, SizeofResource(nullptr, resource));
}

}  // namespace

TEST(Resources, RawDataByIdentifierAndByName) {
  HRSRC byId = FindResourceA(nullptr, MAKEINTRESOURCEA(7), RT_RCDATA);
  ASSERT_NE(byId, nullptr);
  EXPECT_EQ(ResourceBytes(byId), AllBytesTwice());
  EXPECT_EQ(FindResourceA(GetModuleHandleA(nullptr), "#7", RT_RCDATA), byId);
  HRSRC named = FindResourceA(nullptr, "layout", RT_RCDATA);
  ASSERT_NE(named, nullptr);
  EXPECT_EQ(ResourceBytes(named), "A named resource.\r\nSecond line.\n");

  EXPECT_EQ(FindResourceA(nullptr, "#8", RT_RCDATA), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  EXPECT_EQ(FindResourceA(nullptr, "#7", MAKEINTRESOURCEA(2)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
}

TEST(Resources, AStreamSavesTheResourceByteForByte) {
  test_support::TempFolder folder;
  TResourceStream stream(MainInstance(), "#7", RT_RCDATA);
  EXPECT_EQ(stream.Size(), 512);
  stream.SaveToFile(folder.str() + "/out.bin");
  EXPECT_EQ(test_support::ReadFile(folder.path() / "out.bin"), AllBytesTwice());
  EXPECT_THROW(TResourceStream(MainInstance(), "#99", RT_RCDATA), EResNotFound);
  try {
    stream.SaveToFile(folder.str() + "/no/such/out.bin");
    FAIL() << "expected EFCreateError";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file \"" + folder.str() +
                               "/no/such/out.bin\". The system cannot find the path specified.");
  }
}
