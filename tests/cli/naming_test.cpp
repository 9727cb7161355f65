// Names of outputs and temporary files when several engines of one run write at once.
#include <gtest/gtest.h>

#include <filesystem>

#include "batch/output_naming.h"
#include "batch/output_placement.h"
#include "batch/temporary_output.h"
#include "cli/run_plan.h"
#include "platform/win32/places.h"
#include "tests/support/temp_places.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

std::string Joined(const batch::NameParts& name) { return name.Stem + name.Suffix; }

TEST(RangeNames, KeepTheRangesOfOneSourceTogetherAndInOrderAndTheirNumbersWhenShortened) {
  EXPECT_EQ(Joined(batch::OutputNameParts("/v/clip.avi", "mp3", 1, 1)), "clip.mp3");
  EXPECT_EQ(Joined(batch::OutputNameParts("/v/clip.avi", "mp3", 2, 3)), "clip-2.mp3");
  EXPECT_EQ(Joined(batch::OutputNameParts("/v/clip.avi", "flac", 3, 12)), "clip-03.flac");
  EXPECT_EQ(Joined(batch::OutputNameParts("/v/a.avi.avi", "wav", 10, 10)), "a.avi-10.wav");
  test_support::TempFolder folder;
  const std::string name =
      batch::FreeName(folder.str() + "/", batch::OutputNameParts("/v/" + std::string(300, 'x') + ".avi", "mp3", 7, 12),
                      batch::PathIsTaken);
  EXPECT_EQ(fs::path(name).filename().string(), std::string(255 - 7, 'x') + "-07.mp3");
}

TEST(OutputNames, TwoOutputsOfOneRunNeverShareANameNorTakeAnExistingOne) {
  test_support::TempFolder folder;
  const std::string out = folder.str() + "/";
  test_support::WriteFile(out + "clip.mp3", "mine");
  OutputNames names(out);
  const batch::NameParts clip{"clip", ".mp3"}, other{"other", ".mp3"};
  EXPECT_EQ(names.Claim(clip), out + "[1]clip.mp3");
  EXPECT_EQ(names.Claim(clip), out + "[2]clip.mp3");
  EXPECT_EQ(names.Claim(other), out + "other.mp3");
  EXPECT_EQ(names.Claim(other), out + "[1]other.mp3");
  // The move takes the next name that is free both on disk and in the run.
  test_support::WriteFile(out + "finished", "new");
  test_support::WriteFile(out + "[3]clip.mp3", "appeared meanwhile");
  std::string target = out + "[3]clip.mp3";
  EXPECT_EQ(batch::MoveOutputIntoPlace(
                out + "finished", [&] { return names.Claim(clip); }, target),
            ERROR_SUCCESS);
  EXPECT_EQ(target, out + "[4]clip.mp3");
  EXPECT_EQ(test_support::ReadFile(target), "new");
  EXPECT_EQ(test_support::ReadFile(out + "clip.mp3"), "mine");
}

TEST(TemporaryFiles, EachJobHasItsOwnAndLosesOnlyItsOwn) {
  test_support::TempPlaces places;
  const std::string first = batch::TemporaryOutputFile("mp3", 0);
  const std::string second = batch::TemporaryOutputFile("mp3", 1);
  EXPECT_NE(first, second);
  EXPECT_NE(first, batch::TemporaryOutputFile("mp3"));
  const std::string root = win32::TemporaryRoot();
  for (const std::string& file : {first, first + ".Ab12cd.part", second, second + ".Xy12ab.part"})
    test_support::WriteFile(root + fs::path(file).filename().string(), "x");
  batch::RemoveTemporaryFiles(0);
  EXPECT_FALSE(fs::exists(root + fs::path(first).filename().string()));
  EXPECT_FALSE(fs::exists(root + fs::path(first).filename().string() + ".Ab12cd.part"));
  EXPECT_TRUE(fs::exists(root + fs::path(second).filename().string()));
  // Those of every job go when the run ends.
  batch::RemoveTemporaryFiles();
  EXPECT_FALSE(fs::exists(root + fs::path(second).filename().string()));
  EXPECT_FALSE(fs::exists(root + fs::path(second).filename().string() + ".Xy12ab.part"));
}

TEST(OutputFolder, AFileInTheWayOrAFolderThatTakesNoFilesIsExplained) {
  test_support::TempFolder folder;
  const std::string base = folder.str() + "/";
  EXPECT_EQ(batch::FolderCreationProblem(base + "new/deeper/"), "");
  EXPECT_TRUE(fs::is_directory(base + "new/deeper"));
  EXPECT_EQ(batch::FileCreationProblem(base + "new/deeper/"), "");
  EXPECT_TRUE(fs::is_empty(base + "new/deeper"));
  test_support::WriteFile(base + "file", "x");
  EXPECT_NE(batch::FolderCreationProblem(base + "file/sub/").find("is a file, not a folder"), std::string::npos);
  if (geteuid() != 0) {  // permissions do not hold back the super-user
    fs::create_directory(base + "locked");
    fs::permissions(base + "locked", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_NE(batch::FileCreationProblem(base + "locked/"), "");
  }
}

}  // namespace
}  // namespace cli
