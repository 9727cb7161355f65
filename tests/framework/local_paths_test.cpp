// Names that are not UTF-8 (a Latin-1 name from an old disk) through Qt's text and addresses.
#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>

#include "framework/local_paths.h"
#include "tests/support/temp_places.h"

namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;

// What Qt's dialogs show for the name, and give back.
QString AsQtShowsIt(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

TEST(LocalPaths, QtsTextForANameThatIsNotUtf8LeadsBackToItsBytes) {
  TempFolder folder;
  const std::string latin = folder.str() + "/\xE9t\xE9 2003";  // "été 2003" in Latin-1
  const std::string file = latin + "/caf\xE9 cr\xE8me.avi";
  fs::create_directories(latin);
  test_support::WriteFile(file, "x");
  ASSERT_NE(QFile::encodeName(AsQtShowsIt(file)).toStdString(), file) << "Qt's text is no longer lossy";

  EXPECT_EQ(LocalPath(AsQtShowsIt(file)), file);
  EXPECT_EQ(LocalPath(AsQtShowsIt(latin + "/")), latin + "/");
  EXPECT_EQ(
      LocalPath(QUrl::fromEncoded(QByteArray("file://") + QByteArray::fromStdString(file).toPercentEncoding("/"))),
      file);
  // A file not made yet below a real folder: the folder is found, the new name stays as given.
  EXPECT_EQ(LocalPath(AsQtShowsIt(latin + "/new.mp3")), latin + "/new.mp3");
  const std::string utf8 = folder.str() + "/Mes vidéos";
  fs::create_directories(utf8);
  EXPECT_EQ(LocalPath(QString::fromUtf8(utf8.c_str())), utf8);
  EXPECT_EQ(LocalPath(QUrl::fromLocalFile(QString::fromUtf8(utf8.c_str()))), utf8);
}

TEST(LocalPaths, TwoNamesThatQtShowsAlikeAreNotGuessedBetween) {
  TempFolder folder;
  test_support::WriteFile(folder.str() + "/caf\xE9.avi", "e acute");
  test_support::WriteFile(folder.str() + "/caf\xE8.avi", "e grave");
  const QString shown = AsQtShowsIt(folder.str() + "/caf\xE9.avi");
  EXPECT_EQ(LocalPath(shown), QFile::encodeName(shown).toStdString());
}

}  // namespace
