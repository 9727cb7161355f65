#include "app/engine_deployment.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_places.h"

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::TempPlaces;

namespace {

std::string ResourceBytes() {
  std::string bytes;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  }
  return bytes;
}

// The message of the creation error that DeployEngine raises; empty when it raises none.
std::string DeploymentError() {
  try {
    DeployEngine();
  } catch (const EFCreateError& e) {
    return e.Message();
  }
  return "";
}

}  // namespace

TEST(DeployEngine, TheFirstStartWritesTheEngineIntoANewWorkFolder) {
  TempPlaces places;
  const std::string windows = places.Root() + "/Windows dir ü";
  places.Environment().Set("SONVARRA_WINDOWS_DIR", windows);
  EXPECT_EQ(WorkFolder(), windows + "/wyl/");

  DeployEngine();
  EXPECT_EQ(ReadFile(windows + "/wyl/nnn.exe"), ResourceBytes());
  EXPECT_EQ(access((windows + "/wyl/nnn.exe").c_str(), X_OK), 0);
  int entries = 0;
  for (const auto& e : fs::directory_iterator(windows)) entries += e.path().filename() == "wyl" ? 1 : 100;
  EXPECT_EQ(entries, 1) << "nothing but the work folder is left in the Windows directory";

  ASSERT_FALSE(EnginePath.empty());
  EXPECT_EQ(EnginePath.back(), '/');
  EXPECT_EQ(EnginePath.find(' '), std::string::npos);
  EXPECT_EQ(ReadFile(EnginePath + "nnn.exe"), ResourceBytes()) << "the short form names the work folder";
}

TEST(DeployEngine, AnExistingWorkFolderIsTakenAsItIs) {
  TempPlaces places;
  DeployEngine();
  const std::string engine = places.WindowsDir() + "/wyl/nnn.exe";
  fs::remove(engine);
  DeployEngine();
  EXPECT_FALSE(fs::exists(engine));
  EXPECT_EQ(EnginePath, places.WindowsDir() + "/wyl/");
}

TEST(DeployEngine, AFileThatCannotBeWrittenRaisesTheCreationErrorAndLeavesNoFolder) {
  TempPlaces places;
  // A Windows directory below a plain file cannot hold folders, whatever the user's rights.
  test_support::WriteFile(places.Root() + "/plain", "x");
  places.Environment().Set("SONVARRA_WINDOWS_DIR", places.Root() + "/plain/windows");
  EnginePath = "unchanged";
  EXPECT_EQ(DeploymentError(), "Cannot create file \"" + places.Root() +
                                   "/plain/windows/wyl/nnn.exe\". The system cannot find the path specified.");
  EXPECT_EQ(EnginePath, "unchanged");
}

TEST(DeployEngine, AWorkFolderThatCannotTakeItsPlaceIsReportedWithWhereAndWhy) {
  TempPlaces places;
  test_support::WriteFile(places.WindowsDir() + "/wyl", "a file where the folder belongs");
  EXPECT_EQ(DeploymentError(),
            "Cannot create the folder \"" + places.WindowsDir() +
                "/wyl/\" for the conversion engine. Cannot create a file when that file already exists.");
  int entries = 0;
  for (const auto& e : fs::directory_iterator(places.WindowsDir())) entries += e.path().filename() == "wyl" ? 1 : 100;
  EXPECT_EQ(entries, 1) << "the files written for it are gone again";
}

TEST(ShortPathName, GivesTheLongFormWhenThereIsNoShortOne) {
  TempPlaces places;
  EXPECT_EQ(ShortPathName(places.HomeDir() + "/does not exist.avi"), places.HomeDir() + "/does not exist.avi");
  const std::string longName = places.HomeDir() + "/" + std::string(150, 'a') + ".avi";
  test_support::WriteFile(longName, "x");
  EXPECT_EQ(ShortPathName(longName), longName) << "longer than the usual buffer, still complete";
}
