// Which sources a run takes, in what order, and how shards split them.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "cli/source_files.h"
#include "tests/support/temp_places.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Paths(const std::vector<SourceFile>& sources) {
  std::vector<std::string> paths;
  for (const SourceFile& source : sources) paths.push_back(source.Path);
  return paths;
}

class Sources : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name :
         {"b.avi", "A.mkv", "c.MP4", "notes.txt", "song.flac", "sub/d.avi", "sub/deeper/e.wav", "sub/deeper/readme"}) {
      fs::create_directories((root_.path() / name).parent_path());
      test_support::WriteFile(root_.path() / name, "x");
    }
  }
  std::string Root() const { return root_.str(); }
  test_support::TempFolder root_;
};

TEST_F(Sources, AFolderGivesItsVideoAndAudioFilesInNameOrderAndItsSubfoldersOnlyWhenAsked) {
  const std::string r = Root();
  EXPECT_EQ(Paths(ListSources({r}, false)),
            (std::vector<std::string>{r + "/A.mkv", r + "/b.avi", r + "/c.MP4", r + "/song.flac"}));
  EXPECT_EQ(Paths(ListSources({r}, true)),
            (std::vector<std::string>{r + "/A.mkv", r + "/b.avi", r + "/c.MP4", r + "/song.flac", r + "/sub/d.avi",
                                      r + "/sub/deeper/e.wav"}));
}

TEST_F(Sources, AFileNamedTwiceCountsOnceAndAMissingOneIsKeptWithItsReason) {
  const std::string r = Root();
  fs::create_directory_symlink(r + "/sub", r + "/sub/loop");  // a folder that contains itself
  const std::vector<SourceFile> sources =
      ListSources({r + "/sub/d.avi", r + "/sub/../sub/d.avi", r + "/gone.avi", r + "/sub", r + "/notes.txt"}, true);
  ASSERT_EQ(sources.size(), 4u);
  EXPECT_EQ(sources[0].Path, r + "/sub/d.avi");
  EXPECT_EQ(sources[1].Path, r + "/gone.avi");
  EXPECT_FALSE(sources[1].Error.empty());
  EXPECT_EQ(sources[2].Path, r + "/sub/deeper/e.wav");
  // A file named on its own is taken whatever its name; the folder's listing would have left it out.
  EXPECT_EQ(sources[3].Path, r + "/notes.txt");
  EXPECT_TRUE(sources[3].Error.empty());
}

TEST(Shards, TogetherHoldEveryInputExactlyOnceInTheirOrder) {
  std::vector<SourceFile> all;
  for (int i = 0; i < 23; ++i) all.push_back({"f" + std::to_string(i), ""});
  for (const int count : {1, 2, 3, 7, 23, 40}) {
    std::multiset<std::string> seen;
    for (int index = 1; index <= count; ++index) {
      const std::vector<SourceFile> shard = TakeShard(all, {index, count});
      for (std::size_t k = 0; k < shard.size(); ++k) {
        seen.insert(shard[k].Path);
        EXPECT_EQ(shard[k].Path, all[static_cast<std::size_t>(index - 1) + k * static_cast<std::size_t>(count)].Path);
      }
    }
    EXPECT_EQ(seen.size(), all.size()) << count;
    for (const SourceFile& source : all) EXPECT_EQ(seen.count(source.Path), 1u) << count;
  }
}

}  // namespace
}  // namespace cli
