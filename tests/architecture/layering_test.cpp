// The product's #include lines against the layering that docs/ARCHITECTURE.md states in its one
// table: nothing reaches up or sideways, a layer that keeps its inside to itself is reached only
// through the headers it shows, and outside libraries are used only where the table says.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/architecture/include_rules.h"

namespace architecture {
namespace {

namespace fs = std::filesystem;

// Not product code: the tests and the benchmarks may reach anywhere.
const std::set<std::string> kNotProduct = {"tests", "bench"};

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Listed(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "\n  " + line;
  return text;
}

LayerTable TableOf(const std::string& page) {
  std::string error;
  std::optional<LayerTable> table = ReadLayerTable(page, error);
  if (!table) ADD_FAILURE() << error;
  return table.value_or(LayerTable{});
}

class Layering : public testing::Test {
 protected:
  void SetUp() override {
    const std::string page = ReadText(root_ / "docs" / "ARCHITECTURE.md");
    ASSERT_FALSE(page.empty()) << "docs/ARCHITECTURE.md cannot be read";
    table_ = TableOf(page);
    ASSERT_FALSE(table_.layers.empty());
  }

  const fs::path root_ = SONVARRA_SOURCE_DIR;
  LayerTable table_;
};

TEST_F(Layering, TheTableHasARowForEveryFolderTheBuildKnowsAndEachRowUsesOnlyRowsBelowIt) {
  EXPECT_EQ(TableFaults(table_), std::vector<std::string>{});
  std::istringstream folders(SONVARRA_BUILD_FOLDERS);
  std::string folder;
  while (std::getline(folders, folder, ',')) {
    if (kNotProduct.count(folder) || !fs::is_directory(root_ / folder)) continue;
    const Layer* layer = table_.LayerOf(folder + "/");
    EXPECT_TRUE(layer && layer->folder == folder + "/") << folder << "/ has no row of its own";
  }
}

TEST_F(Layering, EveryIncludeOfTheProductFollowsTheTable) {
  std::vector<std::string> faults;
  int files = 0;
  for (const Layer& layer : table_.layers) {
    const fs::path folder = root_ / layer.folder;
    if (!fs::is_directory(folder)) continue;  // a row may come before its folder
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      const std::string extension = entry.path().extension().string();
      if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) continue;
      const std::string path = fs::relative(entry.path(), root_).generic_string();
      if (table_.LayerOf(path) != &layer) continue;  // a deeper row's
      ++files;
      for (std::string& fault : IncludeFaults(table_, path, ReadText(entry.path()))) faults.push_back(std::move(fault));
    }
  }
  EXPECT_GT(files, 100);
  EXPECT_TRUE(faults.empty()) << faults.size() << " includes against docs/ARCHITECTURE.md:" << Listed(faults);
}

// The checker on made-up files, so that it is seen to catch each kind of fault.
TEST(LayeringRules, EachKindOfWrongIncludeIsCaught) {
  const LayerTable table = TableOf(R"(
## Who may use whom
| Layer | Holds | May include | Seen from above through | Libraries |
|---|---|---|---|---|
| `app/` | windows | `settings/`, `platform/media/registration.h` | all | Qt |
| `settings/` | the dialog | `platform/media/` | all | — |
| `platform/media/` | a system component | — | `media.h` | POSIX |
)");
  ASSERT_EQ(table.layers.size(), 3u);
  EXPECT_EQ(TableFaults(table), std::vector<std::string>{});
  const auto faultsOf = [&](const std::string& path, const std::string& text) {
    return IncludeFaults(table, path, text).size();
  };
  EXPECT_EQ(faultsOf("app/a.cpp", "#include \"settings/b.h\"\n#include \"platform/media/registration.h\"\n"), 0u);
  EXPECT_EQ(faultsOf("app/a.cpp", "#include <QWidget>\n#include <vector>\n#include <cstdio>\n"), 0u);
  EXPECT_EQ(faultsOf("settings/b.cpp", "#include \"app/a.h\"\n"), 1u) << "upward";
  EXPECT_EQ(faultsOf("app/a.cpp", "#include \"platform/media/inside.h\"\n"), 1u) << "past its rule";
  EXPECT_EQ(faultsOf("settings/b.cpp", "#include \"platform/media/inside.h\"\n"), 1u) << "a header kept inside";
  EXPECT_EQ(faultsOf("settings/b.cpp", "#include \"platform/media/media.h\"\n"), 0u);
  EXPECT_EQ(faultsOf("settings/b.cpp", "  #  include <QWidget>\n"), 1u) << "a library not its own";
  EXPECT_EQ(faultsOf("platform/media/m.cpp", "#include <unistd.h>\n#include \"neighbour.h\"\n"), 0u);
  EXPECT_EQ(faultsOf("app/a.cpp", "#include \"tests/support/helper.h\"\n"), 1u) << "outside the product";
  EXPECT_EQ(faultsOf("app/a.cpp", "#include <gtest/gtest.h>\n"), 1u) << "an unknown library";
  EXPECT_EQ(faultsOf("tools/t.cpp", ""), 1u) << "a folder without a row";

  const LayerTable upward = TableOf(R"(
## Who may use whom
| Layer | Holds | May include | Seen from above through | Libraries |
|---|---|---|---|---|
| `app/` | windows | `nowhere/` | all | — |
| `settings/` | the dialog | `app/` | all | — |
)");
  EXPECT_EQ(TableFaults(upward).size(), 2u) << "a row naming no layer, and a row using one above it";
}

TEST(LayeringRules, SystemHeadersAreSortedIntoTheirLibraries) {
  EXPECT_EQ(LibraryOf("QApplication"), "Qt");
  EXPECT_EQ(LibraryOf("libavcodec/avcodec.h"), "FFmpeg");
  EXPECT_EQ(LibraryOf("SDL2/SDL.h"), "SDL");
  EXPECT_EQ(LibraryOf("jpeglib.h"), "libjpeg");
  EXPECT_EQ(LibraryOf("sys/stat.h"), "POSIX");
  EXPECT_EQ(LibraryOf("unistd.h"), "POSIX");
  EXPECT_EQ(LibraryOf("string_view"), "");
  EXPECT_EQ(LibraryOf("stdint.h"), "");
  EXPECT_EQ(LibraryOf("boost/optional.hpp"), "?");
}

}  // namespace
}  // namespace architecture
