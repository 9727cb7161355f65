// What holds a file open, and ending it; and the 8-bit text that names the file on the way.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/kernel32.h"
#include "platform/win32/restartmanager.h"
#include "platform/win32/wide_text.h"
#include "process_helpers.h"
#include "tests/support/temp_places.h"

namespace {

// Both without the NUL that the count of a NUL-terminated input includes.
std::u16string Wide(const std::string& text) {
  std::u16string wide(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0)), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  wide.pop_back();
  return wide;
}

std::string Narrow(const std::u16string& wide) {
  std::string text(
      static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
  text.pop_back();
  return text;
}

// A child that holds the file open for writing as its standard output.
struct Holder {
  explicit Holder(const std::string& file) {
    SECURITY_ATTRIBUTES attributes{12, nullptr, -1};
    const HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &attributes, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup{};
    GetStartupInfoA(&startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = handle;
    std::string line = StubCommand("forever");
    started = handle != INVALID_HANDLE_VALUE &&
              CreateProcessA(nullptr, line.data(), nullptr, nullptr, -1, 0, nullptr, nullptr, &startup, &info);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  ~Holder() {
    if (!started) return;
    TerminateProcess(info.hProcess, 0);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;
  bool Running() const { return WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT; }

  PROCESS_INFORMATION info{};
  bool started = false;
};

TEST(WideText, EveryNameMakesTheRoundTripThroughTheSystemsWideText) {
  for (const std::string text : {"plain.avi", "été/caf\xC3\xA9 \xF0\x9F\x8E\xAC.mp4", "caf\xE9 \xE8t\xE9\xFF.avi"}) {
    EXPECT_EQ(Narrow(Wide(text)), text);
  }
  EXPECT_EQ(Wide("caf\xC3\xA9 \xF0\x9F\x8E\xAC"), u"café 🎬");
  EXPECT_EQ(Wide("caf\xE9"), std::u16string(u"caf") + char16_t(0xDCE9));
  WCHAR small[2];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, small, 2), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(RestartManager, AForcedShutdownEndsWhatHoldsTheFilesAndNothingElse) {
  test_support::TempPlaces places;
  const std::string held = places.TempDir() + "/wyl-1.mp3";
  const std::string latin = places.TempDir() + "/caf\xE9.mp3";
  Holder first(held), second(latin), other(places.TempDir() + "/other.mp3");
  ASSERT_TRUE(first.started && second.started && other.started);

  DWORD session = 0;
  WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
  ASSERT_EQ(RmStartSession(&session, 0, key), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(key).size(), CCH_RM_SESSION_KEY);
  const std::u16string names[] = {Wide(held), Wide(latin), Wide(places.TempDir() + "/missing.mp3")};
  LPCWSTR files[] = {names[0].c_str(), names[1].c_str(), names[2].c_str()};
  ASSERT_EQ(RmRegisterResources(session, 3, files, 0, nullptr, 0, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(RmShutdown(session, RmForceShutdown, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(RmEndSession(session), ERROR_SUCCESS);
  EXPECT_EQ(RmEndSession(session), ERROR_INVALID_HANDLE);

  EXPECT_FALSE(first.Running());
  EXPECT_FALSE(second.Running());
  EXPECT_TRUE(other.Running());
}

}  // namespace
