#include <gtest/gtest.h>

#include "framework/inifiles.h"
#include "settings/settings_file.h"
#include "tests/support/temp_places.h"

using test_support::ReadFile;
using test_support::TempPlaces;
using test_support::WriteFile;

TEST(OutputFolderSetting, DefaultsToTheDriveRootWithoutAFile) {
  TempPlaces places;
  EXPECT_EQ(SettingsFileName(), places.SettingsFile());
  EXPECT_EQ(ReadOutputFolder(), places.HomeDir() + "/");
  EXPECT_FALSE(std::filesystem::exists(places.SettingsFile()));
}

TEST(OutputFolderSetting, ComesBackUnchangedAndKeepsTheOtherKeys) {
  TempPlaces places;
  WriteFile(places.SettingsFile(), "[SETTINGS]\r\nPARAM_1=3\r\nPARAM_2=4\r\n[Mine]\r\nx=y\r\n");
  WriteOutputFolder("/media/My Music/ out /");
  EXPECT_EQ(ReadOutputFolder(), "/media/My Music/ out /");
  WriteOutputFolder("/media/other/");
  EXPECT_EQ(ReadOutputFolder(), "/media/other/");
  EXPECT_EQ(ReadFile(places.SettingsFile()),
            "[SETTINGS]\r\nPARAM_1=3\r\nPARAM_2=4\r\nPARAM_4=/media/other/\r\n[Mine]\r\nx=y\r\n");
}

TEST(OutputFolderSetting, AFolderOfAnyLengthTheSystemAllowsComesBackWhole) {
  TempPlaces places;
  std::string deep;
  for (int level = 0; level < 15; ++level) deep += "/" + std::string(250, static_cast<char>('a' + level));
  deep += "/";
  WriteOutputFolder(deep);
  EXPECT_EQ(ReadOutputFolder(), deep);
}

TEST(OutputFolderSetting, AnUnwritableFileRaisesTheIniError) {
  TempPlaces places;
  places.Environment().Set("SONVARRA_MODULE_PATH", places.Root() + "/gone/sonvarra");
  places.Environment().Set("XDG_CONFIG_HOME", places.Root() + "/gone/config");
  WriteFile(places.Root() + "/gone", "a file where the folders would be");
  EXPECT_THROW(WriteOutputFolder("/x/"), EIniFileException);
}
