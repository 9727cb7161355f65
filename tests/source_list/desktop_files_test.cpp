// Files the desktop hands over, named on the command line or dropped on the main window, go the
// way of the files chosen in Add's dialog, with the real engine probing them.
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "app/batch_state.h"
#include "app/file_items.h"
#include "test_media.h"
#include "tests/source_list/add_failure.h"
#include "tests/windows/program.h"

namespace {

namespace fs = std::filesystem;
using enginebin_test::test_clip;
using test_support::Failure;

class DesktopFilesTest : public test_support::ProgramTest {
 protected:
  void SetUp() override {
    Start();
    Form1->Show();
    FileItems.clear();
  }
  void TearDown() override {
    FileItems.clear();
    ProgramTest::TearDown();
  }

  AnsiString Place(const std::string& clip, const std::string& name) {
    const fs::path target = fs::path(places.HomeDir()) / name;
    fs::create_directories(target.parent_path());
    fs::copy_file(test_clip(clip), target, fs::copy_options::overwrite_existing);
    return target.string();
  }
  std::vector<AnsiString> Listed() const {
    std::vector<AnsiString> paths;
    for (const TFileItem& item : FileItems) paths.push_back(item.SourcePath);
    EXPECT_EQ(static_cast<int>(paths.size()), Form1->sListView1->Items().Count());
    return paths;
  }
  std::vector<AnsiString> Messages() const {
    std::vector<AnsiString> texts;
    for (const auto& m : dialogs->messages) texts.push_back(m.text);
    return texts;
  }
  // Drags the addresses over the list and lets them go, as a file manager does; true when the
  // window took the drag.
  bool Drop(const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QWidget* list = static_cast<QAbstractScrollArea*>(Form1->sListView1->Widget())->viewport();
    const QPoint at(20, 20);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &enter);
    if (!enter.isAccepted()) return false;
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction) << "the file manager must not delete what it dropped";
    return true;
  }
  static QUrl File(const AnsiString& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }
  // The window adds what it was handed once the message loop runs.
  void Settle() { test_support::ProcessEvents(300); }
};

TEST_F(DesktopFilesTest, CommandLineFilesAreAddedOnceTheWindowIsShownAsAddAddsThem) {
  const AnsiString first = Place("clip.avi", "first.avi");
  const AnsiString junk = Place("junk.avi", "junk.avi");
  const AnsiString second = Place("clip.mp4", "Mes vidéos/second one.mp4");
  const fs::path before = fs::current_path();
  fs::current_path(places.HomeDir());
  // "Open with" passes full paths; a shell passes what was typed
  Form1->AddFilesWhenShown({"missing.avi", "first.avi", first, junk, "./Mes vidéos/../Mes vidéos/second one.mp4"});
  fs::current_path(before);
  EXPECT_TRUE(FileItems.empty()) << "nothing is probed before the window shows";

  ASSERT_TRUE(test_support::ProcessEventsUntil([] { return Form1->sLabel4->Caption() == "Added 2 file(s)."; }));
  EXPECT_EQ(Listed(), (std::vector<AnsiString>{first, second}));
  EXPECT_EQ(Messages(), (std::vector<AnsiString>{Failure(places.HomeDir() + "/missing.avi"), Failure(junk)}));
  EXPECT_EQ(Form1->ProgressBar1->Max(), 5) << "several files show the progress group";
  EXPECT_FALSE(Form1->GroupBox3->Visible());
  EXPECT_EQ(Form1->sListView1->ItemIndex(), 1);

  // Handed over while the window is up: added at once, by the same duplicate rule.
  Form1->AddFilesWhenShown({second});
  Settle();
  EXPECT_EQ(Listed().size(), 2u);
  EXPECT_EQ(dialogs->messages.size(), 2u);
  Form1->AddFilesWhenShown({});
  Settle();
  EXPECT_EQ(Form1->sLabel4->Caption(), "Added 2 file(s).");
}

TEST_F(DesktopFilesTest, DroppedFilesAreAddedAsAddAddsThemAndOnlyFilesOfThisMachineAreTaken) {
  const AnsiString clip = Place("clip.avi", "clip.avi");
  const AnsiString notes = Place("junk.avi", "notes.txt");
  EXPECT_FALSE(Drop({QUrl("https://example.com/clip.avi")})) << "an address is no file";
  ASSERT_TRUE(Drop({File(clip), QUrl("https://example.com/other.avi"), File(notes), File(clip)}));
  EXPECT_TRUE(FileItems.empty()) << "the drop is over before the files are probed";
  Settle();
  EXPECT_EQ(Listed(), std::vector<AnsiString>{clip});
  EXPECT_EQ(Messages(), std::vector<AnsiString>{Failure(notes)})
      << "a file dropped by itself is tried whatever its name";

  DragAcceptFiles(Form1->Handle(), FALSE);
  EXPECT_FALSE(Drop({File(Place("clip.mp4", "later.mp4"))}));
  Settle();
  EXPECT_EQ(Listed().size(), 1u);
}

TEST_F(DesktopFilesTest, ADroppedFolderAddsItsOwnVideosInNameOrderAndAddThenOpensWhereTheLastOneLies) {
  dialogs->openAnswers.push_back(std::nullopt);
  static_cast<QAbstractButton*>(Form1->sSpeedButton1->Widget())->click();
  ASSERT_EQ(dialogs->openRequests.size(), 1u);
  EXPECT_EQ(dialogs->openRequests[0].initialDir, "") << "no folder of its own before a file is added";

  const AnsiString b = Place("clip.avi", "videos/b.avi");
  const AnsiString a = Place("clip.mkv", "videos/A.mkv");
  const AnsiString c = Place("clip.mp4", "videos/c.MP4");
  Place("junk.avi", "videos/readme.txt");  // not a kind the filter offers
  Place("clip.avi", "videos/sub/d.avi");   // in a sub-folder
  fs::create_directories(places.HomeDir() + "/videos/folder.avi");
  fs::create_directories(places.HomeDir() + "/empty");
  const AnsiString single = Place("clip.flv", "elsewhere/single.flv");

  ASSERT_TRUE(Drop({File(places.HomeDir() + "/videos"), File(single), File(places.HomeDir() + "/empty")}));
  Settle();
  EXPECT_EQ(Listed(), (std::vector<AnsiString>{a, b, c, single}));
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages.front().text;

  dialogs->openAnswers.push_back(std::nullopt);
  static_cast<QAbstractButton*>(Form1->sSpeedButton1->Widget())->click();
  ASSERT_EQ(dialogs->openRequests.size(), 2u);
  EXPECT_EQ(dialogs->openRequests[1].initialDir, places.HomeDir() + "/elsewhere/");
}

TEST_F(DesktopFilesTest, ANameThatIsNotUtf8KeepsItsBytesFromTheDropToTheEngineAndTheOutput) {
  const AnsiString latin = Place("clip.avi", "\xE9t\xE9/caf\xE9.avi");  // Latin-1, as an old disk has it
  const QByteArray address = "file://" + QByteArray::fromStdString(latin).toPercentEncoding("/");
  ASSERT_TRUE(Drop({QUrl::fromEncoded(address)}));
  Settle();
  EXPECT_TRUE(Messages().empty()) << Messages().front();
  ASSERT_EQ(Listed(), std::vector<AnsiString>{latin});
  EXPECT_EQ(Form1->sListView1->Items().Item(0)->Caption(), "caf\xE9.avi");

  const AnsiString output = places.HomeDir() + "/out/";
  Form1->sDirectoryEdit1->SetText(output);
  static_cast<QAbstractButton*>(Form1->sSpeedButton4->Widget())->click();
  ASSERT_TRUE(test_support::ProcessEventsUntil([] { return !Converting; }, 60000));
  ASSERT_FALSE(Messages().empty());
  EXPECT_EQ(Messages().back(), "Done.");
  EXPECT_TRUE(fs::is_regular_file(output + "caf\xE9.mp3"));
}

}  // namespace
