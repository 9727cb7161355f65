// Add, Delete and Clear with the real engine probing generated media.
#include <sys/stat.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QFontMetrics>
#include <QLabel>
#include <QWindow>
#include <filesystem>
#include <functional>

#include "app/file_items.h"
#include "test_media.h"
#include "tests/source_list/add_failure.h"
#include "tests/windows/program.h"

namespace {

namespace fs = std::filesystem;
using enginebin_test::test_clip;
using test_support::Failure;

class SourceListTest : public test_support::ProgramTest {
 protected:
  void SetUp() override {
    Start();
    Form1->Show();  // the buttons' windows exist once the form is shown
    FileItems.clear();
  }
  void TearDown() override {
    FileItems.clear();
    ProgramTest::TearDown();
  }

  // Clicks Add with the dialog answering these files, as the user would.
  void Add(const std::vector<AnsiString>& files) {
    dialogs->openAnswers.push_back(files);
    static_cast<QAbstractButton*>(Form1->sSpeedButton1->Widget())->click();
  }
  void Click(TControl* button) { static_cast<QAbstractButton*>(button->Widget())->click(); }

  // The files chosen in the dialog, copied under names of the test's choosing.
  AnsiString Copy(const std::string& clip, const std::string& name) {
    const fs::path target = fs::path(places.HomeDir()) / name;
    fs::create_directories(target.parent_path());
    fs::copy_file(test_clip(clip), target, fs::copy_options::overwrite_existing);
    return target.string();
  }

  int Rows() const { return Form1->sListView1->Items().Count(); }
  TListItem* Row(int i) const { return Form1->sListView1->Items().Item(i); }
  std::vector<AnsiString> MessageTexts() const {
    std::vector<AnsiString> texts;
    for (const auto& m : dialogs->messages) texts.push_back(m.text);
    return texts;
  }
};

TEST_F(SourceListTest, AddedFilesAreListedWithTheirLengthPlusOneSecond) {
  const AnsiString avi = Copy("clip.avi", "clip.avi");
  const AnsiString mkv = Copy("clip.mkv", "Mes vidéos/a;rm -rf x $(id) \"q\".mkv");
  const AnsiString wav = Copy("long.wav", "with blank/long one.wav");
  Add({avi, mkv, wav});

  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages.front().text;
  ASSERT_EQ(Rows(), 3);
  EXPECT_EQ(Row(0)->Caption(), "clip.avi");
  EXPECT_EQ(Row(1)->Caption(), "a;rm -rf x $(id) \"q\".mkv");
  EXPECT_EQ(Row(2)->Caption(), "long one.wav");
  EXPECT_EQ(Row(0)->SubItem(0), "00:00:00 - 00:00:04");
  EXPECT_EQ(Row(0)->SubItem(1), "00:00:04");
  EXPECT_EQ(Row(1)->SubItem(1), "00:00:04");
  EXPECT_EQ(Row(2)->SubItem(0), "00:00:00 - 00:02:01");
  ASSERT_EQ(FileItems.size(), 3u);
  EXPECT_EQ(FileItems[1].SourcePath, mkv);
  EXPECT_EQ(FileItems[2].DurationSeconds, 121);
  EXPECT_EQ(FileItems[2].BeginSeconds, 0);

  EXPECT_EQ(Form1->sLabel4->Caption(), "Added 3 file(s).");
  EXPECT_FALSE(Form1->GroupBox3->Visible());
  EXPECT_EQ(Form1->ProgressBar1->Max(), 3);
  EXPECT_EQ(Form1->ProgressBar1->Position(), 3);
  EXPECT_EQ(Form1->Label5->Caption(), "Adding file:\r\n" + wav);
  EXPECT_EQ(Form1->sListView1->ItemIndex(), 2);
}

TEST_F(SourceListTest, EveryContainerIsProbed) {
  std::vector<AnsiString> files;
  for (const char* clip : {"clip.mp4", "clip.mov", "clip.flv", "clip.mpg", "clip.wmv", "clip.3gp"}) {
    files.push_back(Copy(clip, clip));
  }
  Add(files);
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages.front().text;
  ASSERT_EQ(Rows(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Row(i)->SubItem(1), "00:00:04") << Row(i)->Caption();
}

TEST_F(SourceListTest, DuplicatesAreSkippedByExactPath) {
  const AnsiString lower = Copy("clip.avi", "clip.avi");
  const AnsiString upper = Copy("clip.avi", "CLIP.avi");
  Add({lower});
  Add({lower, upper, lower});
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(FileItems[1].SourcePath, upper);
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(SourceListTest, AnUnreadableFileIsReportedOnceAndTheOthersAreAdded) {
  const AnsiString junk = Copy("junk.avi", "junk.avi");
  const AnsiString empty = Copy("empty.avi", "empty.avi");
  const AnsiString gone = places.HomeDir() + "/gone since the dialog.avi";
  const AnsiString folder = places.HomeDir();
  const AnsiString good = Copy("clip.avi", "good.avi");
  Add({junk, good, empty, gone, folder});
  EXPECT_EQ(MessageTexts(), (std::vector<AnsiString>{Failure(junk), Failure(empty), Failure(gone), Failure(folder)}));
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Row(0)->Caption(), "good.avi");
}

TEST_F(SourceListTest, ALengthTheEngineCannotTellEndsAddAtThatFile) {
  const AnsiString before = Copy("clip.avi", "before.avi");
  const AnsiString unknown = Copy("unknown.h264", "unknown.h264");
  const AnsiString after = Copy("clip.avi", "after.avi");
  Add({before, unknown, after});
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "'N/' is not a valid integer value");
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Row(0)->Caption(), "before.avi");
  EXPECT_EQ(FileItems.size(), 1u);
  // The window is left as after any Add.
  EXPECT_FALSE(Form1->GroupBox3->Visible());
  EXPECT_EQ(Form1->sLabel4->Caption(), "Added 1 file(s).");
}

TEST_F(SourceListTest, CancellingTheDialogStillTidiesTheWindow) {
  Add({Copy("clip.avi", "a.avi"), Copy("clip.avi", "b.avi")});
  // Left as nothing of Add would leave them, so that each rewrite shows.
  Form1->sListView1->SetItemIndex(0);
  Form1->sLabel4->SetCaption("stale");
  Form1->GroupBox3->Show();
  dialogs->openAnswers.push_back(std::nullopt);
  Click(Form1->sSpeedButton1);
  EXPECT_EQ(Form1->sLabel4->Caption(), "Added 2 file(s).");
  EXPECT_EQ(Form1->sListView1->ItemIndex(), 1);
  EXPECT_FALSE(Form1->GroupBox3->Visible());
}

// Records what a widget showed each time it was painted.
class PaintLog final : public QObject {
 public:
  PaintLog(QWidget* widget, std::function<std::string()> shown) : shown_(std::move(shown)) {
    widget->installEventFilter(this);
  }
  std::vector<std::string> seen;  // one entry per paint, repeats left out
  int shows = 0;

 private:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) ++shows;
    if (event->type() == QEvent::Paint && (seen.empty() || seen.back() != shown_())) seen.push_back(shown_());
    return false;
  }
  std::function<std::string()> shown_;
};

QWidget* ListViewport() { return static_cast<QAbstractScrollArea*>(Form1->sListView1->Widget())->viewport(); }

TEST_F(SourceListTest, EachFileShowsWhileAddRunsAndOneFileNeverShowsTheProgressGroup) {
  const AnsiString one = Copy("clip.avi", "one.avi"), two = Copy("clip.mp4", "two.mp4"),
                   three = Copy("clip.mkv", "three.mkv");
  ASSERT_TRUE(test_support::ProcessEventsUntil([] { return Form1->Widget()->windowHandle()->isExposed(); }));
  PaintLog bar(Form1->ProgressBar1->Widget(), [] {
    return std::string(Form1->GroupBox3->Visible() ? "shown " : "hidden ") +
           std::to_string(Form1->ProgressBar1->Position());
  });
  PaintLog label(Form1->Label5->Widget(),
                 [] { return static_cast<QLabel*>(Form1->Label5->Widget())->text().toStdString(); });
  PaintLog rows(ListViewport(), [] { return std::to_string(Form1->sListView1->Items().Count()); });
  PaintLog group(Form1->GroupBox3->Widget(), [] { return std::string(); });
  // What the dialog covered is painted before the first file is probed.
  PaintLog window(Form1->sSpeedButton7->Widget(),
                  [] { return std::string(Converter->CommandLine.empty() ? "before" : "after"); });

  Add({one});
  EXPECT_EQ(group.shows, 0) << "one file never shows the progress group";
  Add({two, three, one});  // the last is listed already
  EXPECT_EQ(group.shows, 1);
  EXPECT_EQ(bar.seen, (std::vector<std::string>{"shown 0", "shown 1", "shown 2", "shown 3"}));
  EXPECT_EQ(label.seen,
            (std::vector<std::string>{"Adding file:\n" + two, "Adding file:\n" + three, "Adding file:\n" + one}));
  EXPECT_GE(Form1->Label5->Height(), 2 * QFontMetrics(Form1->Label5->Font().ToQFont()).lineSpacing())
      << "both lines fit";
  EXPECT_EQ(rows.seen, (std::vector<std::string>{"1", "2", "3"}));
  ASSERT_FALSE(window.seen.empty());
  EXPECT_EQ(window.seen.front(), "before");
}

TEST_F(SourceListTest, OnlyRegularFilesAreProbedAndOneThatDoesNotAnswerIsNamedSo) {
  const AnsiString pipe = places.HomeDir() + "/pipe.avi";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const AnsiString stalled = Copy("clip.avi", "stalled.avi");
  Add({pipe});
  EXPECT_TRUE(Converter->CommandLine.empty()) << "the pipe was given to the engine";
  test_support::ReplaceEngine("sleep 30");  // as an engine whose input lies on a stalled mount
  Converter->ReportTimeoutMs = 200;
  Add({stalled});
  EXPECT_EQ(MessageTexts(),
            (std::vector<AnsiString>{
                "Fail in initializing file:\r" + pipe +
                    "\r\rIt is not a file but a pipe or a device, which cannot be converted.",
                "Fail in initializing file:\r" + stalled +
                    "\r\rThe file did not answer; the drive or network share that holds it may not be responding."}));
  EXPECT_EQ(Rows(), 0);
}

TEST_F(SourceListTest, AClipShorterThanASecondIsListedAndABackslashIsPartOfTheName) {
  Add({Copy("short.avi", "short.avi"), Copy("clip.mp4", "back\\slash.mp4")});
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages.front().text;
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(Row(0)->SubItem(0), "00:00:00 - 00:00:01");
  EXPECT_EQ(FileItems[0].DurationSeconds, 1);
  EXPECT_EQ(Row(1)->Caption(), "back\\slash.mp4");
}

TEST_F(SourceListTest, DeleteRemovesTheSelectedRowAndItsEntryAndClearEmptiesBoth) {
  const AnsiString a = Copy("clip.avi", "a.avi"), b = Copy("clip.mp4", "b.mp4"), c = Copy("clip.mkv", "c.mkv");
  Add({a, b, c});
  Form1->sListView1->SetItemIndex(1);
  Click(Form1->sSpeedButton2);
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(Row(0)->Caption(), "a.avi");
  EXPECT_EQ(Row(1)->Caption(), "c.mkv");
  ASSERT_EQ(FileItems.size(), 2u);
  EXPECT_EQ(FileItems[0].SourcePath, a);
  EXPECT_EQ(FileItems[1].SourcePath, c);
  EXPECT_EQ(Form1->sLabel4->Caption(), "Added 2 file(s).");

  Form1->sListView1->SetItemIndex(-1);
  Click(Form1->sSpeedButton2);
  EXPECT_EQ(Rows(), 2);

  Click(Form1->sSpeedButton3);
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(FileItems.empty());
  EXPECT_EQ(Form1->sLabel4->Caption(), "Added 0 file(s).");
  Click(Form1->sSpeedButton3);
  EXPECT_EQ(Form1->sLabel4->Caption(), "Added 0 file(s).");
}

TEST_F(SourceListTest, HundredsOfFilesInOneAdd) {
  const AnsiString clip = Copy("clip.avi", "clip.avi");
  std::vector<AnsiString> files;
  for (int i = 0; i < 100; ++i) {
    const AnsiString name = places.HomeDir() + "/many/clip " + IntToStr(i) + ".avi";
    fs::create_directories(places.HomeDir() + "/many");
    fs::create_hard_link(clip, name);
    files.push_back(name);
  }
  files.resize(120, files.back());  // and duplicates among them
  Add(files);
  EXPECT_EQ(Rows(), 100);
  EXPECT_EQ(Form1->sLabel4->Caption(), "Added 100 file(s).");
  EXPECT_TRUE(dialogs->messages.empty());
}

}  // namespace
