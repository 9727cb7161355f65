// The controls' own rules: clamping, user-only change events, the folder picker, transparency,
// file filters.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSlider>
#include <QTreeWidget>

#include "framework/extctrls.h"
#include "framework/forms.h"
#include "framework/open_dialog.h"
#include "framework/skin/sdirectoryedit.h"
#include "framework/skin/sgauge.h"
#include "framework/skin/slistview.h"
#include "framework/skin/strackbar.h"
#include "tests/support/temp_places.h"
#include "tests/ui_support/qt_wait.h"
#include "tests/ui_support/scripted_dialogs.h"

namespace {

class Controls : public testing::Test {
 protected:
  void SetUp() override {
    form = MakeComponent<TForm>(nullptr);
    form->SetBounds(0, 0, 300, 200);
  }
  template <class T>
  T* Add(int left, int top, int width, int height) {
    T* control = form->CreateComponent<T>();
    control->SetParent(form.get());
    control->SetBounds(left, top, width, height);
    return control;
  }
  test_support::ScopedDialogs dialogs;
  TApplication application;
  TComponentPtr<TForm> form;
};

TEST_F(Controls, AGaugeKeepsItsProgressWithinItsRange) {
  auto* gauge = Add<TsGauge>(0, 0, 100, 17);
  gauge->SetProgress(150);
  EXPECT_EQ(gauge->Progress(), 100);
  gauge->SetProgress(-3);
  EXPECT_EQ(gauge->Progress(), 0);
  gauge->SetProgress(37);
  EXPECT_EQ(gauge->Progress(), 37);
}

TEST_F(Controls, ATrackBarReportsUserChangesOnly) {
  auto* bar = Add<TsTrackBar>(0, 0, 120, 25);
  bar->SetMax(100);
  int user = 0, any = 0;
  bar->OnUserChange = [&](TObject*) { ++user; };
  bar->OnChange = [&](TObject*) { ++any; };
  form->Show();
  bar->SetPosition(40);
  EXPECT_EQ(bar->Position(), 40);
  EXPECT_EQ(user, 0);
  EXPECT_EQ(any, 1);
  auto* slider = qobject_cast<QSlider*>(bar->Widget());
  ASSERT_TRUE(slider);
  slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(user, 1);
  EXPECT_EQ(bar->Position(), 40 + slider->pageStep());
  bar->SetPosition(500);
  EXPECT_EQ(bar->Position(), 100);
  EXPECT_EQ(user, 1);
  slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);  // already at the end: no change
  EXPECT_EQ(user, 1);
  bar->SetPosition(10);
  EXPECT_EQ(user, 1);
}

TEST_F(Controls, TheFolderPickerChoosesTheTextWhichCannotBeTyped) {
  test_support::TempPlaces places;
  auto* edit = Add<TsDirectoryEdit>(0, 0, 200, 21);
  edit->SetMaxLength(255);
  edit->InitialDir = places.HomeDir();
  form->Show();
  auto* line = edit->Widget()->findChild<QLineEdit*>();
  ASSERT_TRUE(line);
  EXPECT_TRUE(line->isReadOnly());

  dialogs->directoryAnswers.push_back(places.TempDir());
  EXPECT_TRUE(edit->ChooseFolder());
  EXPECT_EQ(edit->Text(), places.TempDir());
  EXPECT_EQ(line->text().toStdString(), places.TempDir());
  EXPECT_EQ(dialogs->directoryStarts.back(), places.HomeDir());  // no folder in the text yet
  EXPECT_EQ(dialogs->directoryCaptions.back(), "Select directory");

  EXPECT_FALSE(edit->ChooseFolder());  // cancelled: unchanged, and it started at the current folder
  EXPECT_EQ(edit->Text(), places.TempDir());
  EXPECT_EQ(dialogs->directoryStarts.back(), places.TempDir());

  // A longer folder than anyone would type stays whole: cut, it would name another folder.
  const std::string deep = places.HomeDir() + "/" + std::string(200, 'x') + "/" + std::string(200, 'y') + "/";
  edit->SetText(deep);
  EXPECT_EQ(edit->Text(), deep);
  EXPECT_EQ(line->text().toStdString(), deep);
}

TEST_F(Controls, ATransparentImageLeavesOutTheColourOfItsBottomLeftPixel) {
  form->SetColor(RGB(10, 200, 30));
  auto* image = Add<TImage>(0, 0, 4, 4);
  QImage picture(4, 4, QImage::Format_RGB888);
  picture.fill(QColor(255, 0, 255));
  picture.setPixelColor(1, 1, QColor(0, 0, 255));
  image->SetPicture(picture);
  image->SetTransparent(true);
  form->Show();
  const QImage drawn = form->Widget()->grab(QRect(0, 0, 4, 4)).toImage();
  EXPECT_EQ(drawn.pixelColor(0, 0), QColor(10, 200, 30));
  EXPECT_EQ(drawn.pixelColor(1, 1), QColor(0, 0, 255));
  image->SetTransparent(false);
  const QImage opaque = form->Widget()->grab(QRect(0, 0, 4, 4)).toImage();
  EXPECT_EQ(opaque.pixelColor(0, 0), QColor(255, 0, 255));
}

TEST_F(Controls, ListRowsAndSelectionLiveWithTheListBeforeAndAfterItsWindowExists) {
  auto* list = Add<TsListView>(0, 0, 200, 100);
  list->SetColumns({{"A", 50}, {"B", 60}});
  TListItem* first = list->Items().Add();
  first->SetCaption("one.avi");
  first->AddSubItem("00:00:00 - 00:01:00");
  list->Items().Add()->SetCaption("two.avi");
  list->SetItemIndex(1);
  form->Show();
  EXPECT_EQ(list->Selected(), list->Items().Item(1));
  auto* tree = qobject_cast<QTreeWidget*>(list->Widget());
  ASSERT_TRUE(tree);
  ASSERT_EQ(tree->topLevelItemCount(), 2);
  EXPECT_EQ(tree->topLevelItem(0)->text(1).toStdString(), "00:00:00 - 00:01:00");
  EXPECT_TRUE(tree->topLevelItem(1)->isSelected());
  tree->setCurrentItem(tree->topLevelItem(0));  // the user's choice
  EXPECT_EQ(list->ItemIndex(), 0);
  list->Items().Delete(0);
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(tree->topLevelItemCount(), 1);
  EXPECT_THROW(list->Items().Item(5), EListError);
  list->Items().Clear();
  EXPECT_EQ(tree->topLevelItemCount(), 0);
}

TEST(FileFilter, PatternsMatchByExtensionWithoutRegardToCase) {
  const auto entries = ParseFilter("Video|*.avi;*.m2v|All|*.*");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Patterns, (std::vector<AnsiString>{"*.avi", "*.m2v"}));
  EXPECT_TRUE(FilterEntryMatches(entries[0], "/x/clip.M2V"));
  EXPECT_FALSE(FilterEntryMatches(entries[0], "clip.2v"));
  EXPECT_FALSE(FilterEntryMatches(entries[0], "clip.m2v.txt"));
  EXPECT_TRUE(FilterEntryMatches(entries[1], "README"));
  EXPECT_TRUE(MatchesMask("a.b", "?.b"));
  EXPECT_FALSE(MatchesMask("ab.b", "?.b"));
}

}  // namespace
