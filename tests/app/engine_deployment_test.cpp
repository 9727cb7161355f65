#include "app/engine_deployment.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

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

TEST(DeployEngine, AnEngineThatIsTheOneCarriedIsLeftAsItIs) {
  TempPlaces places;
  DeployEngine();
  const std::string engine = places.WindowsDir() + "/wyl/nnn.exe";
  struct stat before {};
  stat(engine.c_str(), &before);
  DeployEngine();
  struct stat after {};
  stat(engine.c_str(), &after);
  EXPECT_EQ(after.st_ino, before.st_ino) << "rewritten";
  EXPECT_EQ(EnginePath, places.WindowsDir() + "/wyl/");
}

// An upgraded program finds the engine of its previous version, or none, or a damaged one.
TEST(DeployEngine, AnOtherEngineIsReplacedWholeWhileAnotherCopyRunsTheOldOne) {
  TempPlaces places;
  const std::string engine = places.WindowsDir() + "/wyl/nnn.exe";
  fs::create_directories(places.WindowsDir() + "/wyl");
  // The old engine, running: it ends when its file has changed under it, and says what it saw.
  const std::string saw = places.Root() + "/saw";
  test_support::WriteFile(engine, "#!/bin/sh\necho started > '" + saw + "'\nsleep 1\necho survived > '" + saw + "'\n");
  fs::permissions(engine, fs::perms::owner_all);
  const pid_t old = fork();
  if (old == 0) {
    execl(engine.c_str(), engine.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  while (ReadFile(saw).empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  // Meanwhile another copy of the program starts engines: none may find a part of one, or none.
  const std::string oldEngine = ReadFile(engine);
  std::atomic<bool> deploying{true}, whole{true};
  std::thread starter([&] {
    while (deploying) {
      const std::string content = ReadFile(engine);
      if (content != ResourceBytes() && content != oldEngine) whole = false;
    }
  });
  for (int upgrade = 0; upgrade < 20; ++upgrade) {
    if (upgrade > 0) {  // back to the old engine, in one step
      test_support::WriteFile(engine + ".old", oldEngine);
      fs::rename(engine + ".old", engine);
    }
    DeployEngine();
    EXPECT_EQ(ReadFile(engine), ResourceBytes());
  }
  deploying = false;
  starter.join();
  EXPECT_TRUE(whole) << "an engine start could have found a part of one, or none";
  for (const char* damage : {"missing", "truncated"}) {
    if (damage == std::string("missing")) {
      fs::remove(engine);
    } else {
      test_support::WriteFile(engine, ResourceBytes().substr(0, 100));
    }
    DeployEngine();
    EXPECT_EQ(ReadFile(engine), ResourceBytes()) << damage;
  }
  EXPECT_EQ(access(engine.c_str(), X_OK), 0);
  int status = 0;
  waitpid(old, &status, 0);
  EXPECT_EQ(ReadFile(saw), "survived\n") << "the running engine lost its file";
  int entries = 0;
  for (const auto& e : fs::directory_iterator(places.WindowsDir())) entries += e.path().filename() == "wyl" ? 1 : 100;
  EXPECT_EQ(entries, 1) << "the private folder is gone";
}

TEST(DeployEngine, OnlyTheFoldersOfDeploymentsWhoseCopyNoLongerRunsAreRemoved) {
  TempPlaces places;
  const pid_t ended = fork();
  if (ended == 0) _exit(0);
  waitpid(ended, nullptr, 0);
  const std::string windows = places.WindowsDir() + "/";
  for (const std::string& owner : {std::to_string(ended), std::to_string(getppid())}) {
    fs::create_directories(windows + "wyl.deploying-" + owner);
    test_support::WriteFile(windows + "wyl.deploying-" + owner + "/nnn.exe", "half an engine");
  }
  test_support::WriteFile(windows + "wyl.deploying-notes", "not a folder of ours");
  DeployEngine();
  EXPECT_FALSE(fs::exists(windows + "wyl.deploying-" + std::to_string(ended)));
  EXPECT_TRUE(fs::exists(windows + "wyl.deploying-" + std::to_string(getppid()) + "/nnn.exe")) << "its copy runs";
  EXPECT_TRUE(fs::exists(windows + "wyl.deploying-notes"));
  EXPECT_EQ(ReadFile(windows + "wyl/nnn.exe"), ResourceBytes());
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
