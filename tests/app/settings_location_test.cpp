// Where "settings.ini" lies: beside the program when its folder takes new files, otherwise in the
// user's configuration folder; a file that neither place can hold is reported.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "framework/inifiles.h"
#include "settings/settings_file.h"
#include "tests/support/temp_places.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::TempPlaces;
using test_support::WriteFile;

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A folder that takes no new files. Its rights say so to anyone but root; for root only a file
// system that refuses new files does, such as the process's own folder in /proc.
std::string ReadOnlyFolder(const TempPlaces& places) {
  const std::string folder = places.Root() + "/read-only";
  fs::create_directory(folder);
  WriteFile(folder + "/settings.ini", "[SETTINGS]\nPARAM_4=/left/by/hand/\n");
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  return geteuid() == 0 ? "/proc/self" : folder;
}

TEST(SettingsLocation, AProgramFolderThatTakesNewFilesKeepsTheFileBesideTheProgram) {
  TempPlaces places;
  EXPECT_EQ(SettingsFileName(), places.SettingsFile());
  WriteOutputFolder("/music/");
  WriteSettingIndex(kChannelsKey, 0);
  EXPECT_EQ(ReadFile(places.SettingsFile()), "[SETTINGS]\r\nPARAM_4=/music/\r\nPARAM_3=0\r\n");
  EXPECT_EQ(Names(places.ProgramDir()), std::vector<std::string>{"settings.ini"}) << "the test file is gone";
  EXPECT_TRUE(fs::is_empty(places.ConfigDir()));
}

TEST(SettingsLocation, AReadOnlyProgramFolderKeepsTheSameFileInTheUsersFolder) {
  TempPlaces places;
  places.Environment().Set("SONVARRA_MODULE_PATH", ReadOnlyFolder(places) + "/sonvarra");
  EXPECT_EQ(SettingsFileName(), places.UserSettingsFile());
  EXPECT_EQ(ReadOutputFolder(), DefaultOutputFolder()) << "the file beside the program is not read";
  EXPECT_TRUE(fs::is_empty(places.ConfigDir())) << "reading creates nothing";

  WriteSettingIndex(kBitRateKey, 13);
  WriteOutputFolder("/music/");
  EXPECT_EQ(ReadFile(places.UserSettingsFile()), "[SETTINGS]\r\nPARAM_1=13\r\nPARAM_4=/music/\r\n");
  EXPECT_EQ(ReadSettingIndex(kBitRateKey), 13);
  EXPECT_EQ(ReadOutputFolder(), "/music/");
}

TEST(SettingsLocation, AFileNeitherPlaceCanHoldIsReportedWithItsPath) {
  TempPlaces places;
  // Beside the program: a writable folder in which "settings.ini" cannot be a file.
  fs::create_directory(places.SettingsFile());
  EXPECT_EQ(SettingsFileName(), places.SettingsFile()) << "it stays beside the program";
  try {
    WriteOutputFolder("/x/");
    ADD_FAILURE() << "written";
  } catch (const EIniFileException& error) {
    EXPECT_EQ(error.Message(), "Unable to write to " + places.SettingsFile());
  }

  // An installed program whose user folder cannot be made.
  WriteFile(places.Root() + "/blocker", "x");
  places.Environment().Set("XDG_CONFIG_HOME", places.Root() + "/blocker/config");
  places.Environment().Set("SONVARRA_MODULE_PATH", ReadOnlyFolder(places) + "/sonvarra");
  try {
    WriteSettingIndex(kBitRateKey, 1);
    ADD_FAILURE() << "written";
  } catch (const EIniFileException& error) {
    EXPECT_EQ(error.Message(), "Unable to write to " + places.Root() + "/blocker/config/sonvarra/settings.ini");
  }
}

}  // namespace
