#include <sys/stat.h>

#include <gtest/gtest.h>

#include "framework/inifiles.h"
#include "platform/win32/profile.h"
#include "tests/support/temp_places.h"

using test_support::ReadFile;
using test_support::TempFolder;
using test_support::WriteFile;

namespace {

std::string Get(const std::string& file, const char* section, const char* key, const char* fallback = "default") {
  char buffer[256];
  const DWORD n = GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, file.c_str());
  return std::string(buffer, n);
}

}  // namespace

TEST(Profile, TheFirstWriteCreatesFileAndSection) {
  TempFolder folder;
  const std::string file = folder.str() + "/settings.ini";
  EXPECT_EQ(Get(file, "SETTINGS", "PARAM_1"), "default");
  EXPECT_FALSE(std::filesystem::exists(file)) << "reading never creates the file";
  ASSERT_TRUE(WritePrivateProfileStringA("SETTINGS", "PARAM_1", "8", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("SETTINGS", "PARAM_2", "3", file.c_str()));
  EXPECT_EQ(ReadFile(file), "[SETTINGS]\r\nPARAM_1=8\r\nPARAM_2=3\r\n");
  EXPECT_EQ(Get(file, "settings", "param_2"), "3") << "names compare without letter case";
}

TEST(Profile, WritesKeepEveryOtherLineAsItWas) {
  TempFolder folder;
  const std::string file = folder.str() + "/settings.ini";
  const std::string before =
      "; hand-written comment\n"
      "[Other]\n"
      "PARAM_4=keep me\n"
      "\n"
      "[Settings]\n"
      "  Param_4 = /old/folder/  \n"
      "unrelated line without equals\n"
      "\n"
      "[Last]\n"
      "x=1";
  WriteFile(file, before);
  ASSERT_TRUE(WritePrivateProfileStringA("SETTINGS", "PARAM_4", "/new/folder/", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("SETTINGS", "PARAM_1", "13", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("New", "k", "v", file.c_str()));
  EXPECT_EQ(ReadFile(file),
            "; hand-written comment\n"
            "[Other]\n"
            "PARAM_4=keep me\n"
            "\n"
            "[Settings]\n"
            "  Param_4 =/new/folder/\n"
            "unrelated line without equals\n"
            "PARAM_1=13\n"
            "\n"
            "[Last]\n"
            "x=1\n"
            "[New]\n"
            "k=v\n");
  EXPECT_EQ(Get(file, "Other", "PARAM_4"), "keep me");
  EXPECT_EQ(Get(file, "SETTINGS", "PARAM_4"), "/new/folder/");
}

TEST(Profile, ValuesAreTrimmedAndUnquotedAndIntegersReadLikeWindows) {
  TempFolder folder;
  const std::string file = folder.str() + "/a.ini";
  WriteFile(file, "[S]\r\na =  \" spaced \" \r\nb=12abc\r\nc=abc\r\n");
  EXPECT_EQ(Get(file, "S", "a"), " spaced ");
  EXPECT_EQ(GetPrivateProfileIntA("S", "b", 5, file.c_str()), 12u);
  EXPECT_EQ(GetPrivateProfileIntA("S", "c", 5, file.c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileIntA("S", "missing", 5, file.c_str()), 5u);
}

TEST(Profile, RefusesWhatWouldBreakTheFileOrCannotBeWritten) {
  TempFolder folder;
  const std::string file = folder.str() + "/a.ini";
  WriteFile(file, "[S]\nk=v\n");
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "line\nbreak", file.c_str()));
  EXPECT_EQ(ReadFile(file), "[S]\nk=v\n");
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", (folder.str() + "/missing/a.ini").c_str()));
}

TEST(IniFile, RoundTripsValuesThatReadingWouldOtherwiseChange) {
  TempFolder folder;
  TIniFile ini(folder.str() + "/settings.ini");
  for (const std::string value : {"/home/u/with blank /", " leading", "\"quoted\"", "plain", ""}) {
    ini.WriteString("SETTINGS", "PARAM_4", value);
    EXPECT_EQ(ini.ReadString("SETTINGS", "PARAM_4", "x"), value);
  }
  ini.WriteString("SETTINGS", "PARAM_1", "abc");
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "PARAM_1", 8), 8);
  ini.WriteInteger("SETTINGS", "PARAM_1", -3);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "PARAM_1", 8), -3);
  EXPECT_TRUE(ini.ValueExists("settings", "param_1"));
  EXPECT_FALSE(ini.ValueExists("SETTINGS", "PARAM_9"));

  TIniFile unwritable(folder.str() + "/missing/settings.ini");
  try {
    unwritable.WriteString("SETTINGS", "PARAM_4", "x");
    FAIL() << "expected EIniFileException";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + folder.str() + "/missing/settings.ini");
  }
}

TEST(Profile, AFileSavedWithAByteOrderMarkIsReadAndWrittenAsTheSameFile) {
  TempFolder folder;
  const std::string file = folder.str() + "/settings.ini";
  WriteFile(file, "\xEF\xBB\xBF[SETTINGS]\r\nPARAM_1=5\r\nPARAM_4=/home/me/Music/\r\n");
  EXPECT_EQ(Get(file, "SETTINGS", "PARAM_1"), "5");
  EXPECT_EQ(GetPrivateProfileIntA("SETTINGS", "PARAM_1", 8, file.c_str()), 5u);
  char sections[64] = {};
  ASSERT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", sections, sizeof sections, file.c_str()), 9u);
  EXPECT_STREQ(sections, "SETTINGS");
  ASSERT_TRUE(WritePrivateProfileStringA("SETTINGS", "PARAM_2", "4", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("SETTINGS", "PARAM_1", "6", file.c_str()));
  EXPECT_EQ(ReadFile(file), "\xEF\xBB\xBF[SETTINGS]\r\nPARAM_1=6\r\nPARAM_4=/home/me/Music/\r\nPARAM_2=4\r\n");
}
