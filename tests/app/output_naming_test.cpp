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
