#include "app/output_naming.h"

#include <gtest/gtest.h>

#include "tests/support/temp_places.h"

using test_support::TempPlaces;

TEST(UniqueFileName, ReplacesTheExtensionWhateverItsCaseAndOnlyItsFirstOccurrence) {
  TempPlaces places;
  const std::string folder = places.HomeDir() + "/";
  struct Case {
    const char* source;
    const char* expected;
  };
  for (const Case& c : {Case{"/v/Movie.AVI", "Movie.mp3"}, Case{"/v/movie", "movie.mp3"},
                        Case{"/v/a.avi.avi", "a.avi.mp3"}, Case{"/v/clip.avi", "clip.mp3"},
                        // Only "/" separates folders here: the rest is the file's own name.
                        Case{"/v/back\\slash.mp4", "back\\slash.mp3"}, Case{"/v/c:lip.avi", "c:lip.mp3"}}) {
    EXPECT_EQ(UniqueFileName(c.source, folder, "mp3"), folder + c.expected) << c.source;
  }
}

TEST(UniqueFileName, ATakenNameGetsTheNextFreeNumber) {
  TempPlaces places;
  const std::string folder = places.HomeDir() + "/";
  // Two sources of one name in one batch: the second finds the first's output.
  EXPECT_EQ(UniqueFileName("/one/clip.avi", folder, "mp3"), folder + "clip.mp3");
  test_support::WriteFile(folder + "clip.mp3", "first");
  EXPECT_EQ(UniqueFileName("/two/clip.avi", folder, "mp3"), folder + "[1]clip.mp3");
  test_support::WriteFile(folder + "[1]clip.mp3", "second");
  std::filesystem::create_directory(folder + "[2]clip.mp3");  // a folder blocks the name as well
  EXPECT_EQ(UniqueFileName("/three/clip.avi", folder, "mp3"), folder + "[3]clip.mp3");
}

namespace {

// Whether the bytes are whole UTF-8 sequences.
bool IsWholeUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80         ? 1
                               : (lead >> 5) == 6  ? 2
                               : (lead >> 4) == 14 ? 3
                               : (lead >> 3) == 30 ? 4
                                                   : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

}  // namespace

TEST(UniqueFileName, ANameTooLongForTheFileSystemLosesTheEndOfTheSourceNameInWholeCharacters) {
  TempPlaces places;
  const std::string folder = places.HomeDir() + "/";
  // Names the system takes as sources, too long once ".mp3" or a number is added; "é" is two bytes.
  std::string accented = "b";
  for (int i = 0; i < 126; ++i) accented += "\xC3\xA9";
  for (const std::string& stem : {std::string(252, 'a'), accented}) {
    SCOPED_TRACE(stem.size());
    std::string previous;
    for (int taken = 0; taken < 3; ++taken) {
      const std::string name = UniqueFileName("/v/" + stem + ".avi", folder, "mp3").substr(folder.size());
      EXPECT_LE(name.size(), 255u) << name;
      EXPECT_TRUE(IsWholeUtf8(name)) << name;
      EXPECT_EQ(name.substr(name.size() - 4), ".mp3");
      if (taken > 0) {
        EXPECT_EQ(name.substr(0, 3), "[" + std::to_string(taken) + "]");
      }
      EXPECT_NE(name, previous);
      test_support::WriteFile(folder + name, "taken");  // fails if the system refuses the name
      ASSERT_TRUE(std::filesystem::exists(folder + name)) << name;
      previous = name;
    }
  }
}

TEST(UniqueFileName, ADanglingLinkHoldsItsName) {
  TempPlaces places;
  const std::string folder = places.HomeDir() + "/";
  std::filesystem::create_symlink(folder + "nowhere.mp3", folder + "clip.mp3");
  EXPECT_EQ(UniqueFileName("/v/clip.avi", folder, "mp3"), folder + "[1]clip.mp3");
}
