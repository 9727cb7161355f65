// The main window for a screen reader and a keyboard: every control says its name and role through
// Qt's accessibility, and each key clicks its button wherever the focus is, except where the focused
// control needs that key itself.
#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <map>

#include "tests/windows/program.h"

namespace {

using test_support::ProgramTest;

struct Spoken {
  const char* control;
  const char* name;  // null: the caption or text the control shows
  QAccessible::Role role;
  const char* label = nullptr;  // the label that names it, for a screen reader that asks
};

const Spoken kMainWindow[] = {
    {"sSpeedButton4", "Start", QAccessible::Button},
    {"sSpeedButton5", "Settings", QAccessible::Button},
    {"sSpeedButton6", "Help", QAccessible::Button},
    {"sSpeedButton7", "Exit", QAccessible::Button},
    {"Image1", "From video to sound", QAccessible::Graphic},
    {"sListView1", "Source video files", QAccessible::Tree},
    {"sSpeedButton1", "Add...", QAccessible::Button},
    {"sSpeedButton2", "Delete", QAccessible::Button},
    {"sSpeedButton3", " Clear", QAccessible::Button},
    {"sLabel4", nullptr, QAccessible::StaticText},
    {"sSpeedButton9", "Play or pause", QAccessible::Button},
    {"sSpeedButton10", "Stop", QAccessible::Button},
    {"sSpeedButton11", "One second back", QAccessible::Button},
    {"sTrackBar1", "Position", QAccessible::Slider},
    {"sSpeedButton12", "One second forward", QAccessible::Button},
    {"sSpeedButton13", "Begin", QAccessible::Button},
    {"sSpeedButton14", "End", QAccessible::Button},
    {"sLabel2", nullptr, QAccessible::StaticText},
    {"sLabel3", "Output Folder:", QAccessible::StaticText},
    {"sDirectoryEdit1", "Output folder", QAccessible::Grouping, "sLabel3"},
    {"sLabel1", "Output Format:", QAccessible::StaticText},
    // On this platform a drop-down list is named by its label, and says its current item.
    {"sComboBox1", "MP3", QAccessible::ComboBox, "sLabel1"},
    {"GroupBox3", "Progress: ", QAccessible::Grouping},
    {"ProgressBar1", "Files added", QAccessible::ProgressBar},
};

QAccessibleInterface* Accessible(QWidget* widget) { return QAccessible::queryAccessibleInterface(widget); }

std::string NameOf(QWidget* widget) { return Accessible(widget)->text(QAccessible::Name).toStdString(); }

TControl* Control(const char* name) { return dynamic_cast<TControl*>(Form1->FindComponent(name)); }

TEST_F(ProgramTest, EveryControlOfTheMainWindowTellsAScreenReaderItsNameAndRole) {
  Start();
  Form1->Show();
  for (const Spoken& row : kMainWindow) {
    SCOPED_TRACE(row.control);
    TControl* control = Control(row.control);
    ASSERT_TRUE(control && control->Widget());
    QAccessibleInterface* spoken = Accessible(control->Widget());
    ASSERT_TRUE(spoken);
    EXPECT_EQ(spoken->role(), row.role);
    EXPECT_EQ(spoken->text(QAccessible::Name).toStdString(), row.name ? row.name : control->Caption());
    if (row.label) {
      const auto labels = spoken->relations(QAccessible::Label);
      ASSERT_EQ(labels.size(), 1);
      EXPECT_EQ(labels.front().first->object(), Control(row.label)->Widget());
    }
  }
  // The folder field's parts: the text field takes the focus, the picker says what it opens.
  QWidget* folder = Form1->sDirectoryEdit1->Widget();
  ASSERT_TRUE(folder->focusProxy());
  EXPECT_EQ(Accessible(folder->focusProxy())->role(), QAccessible::EditableText);
  EXPECT_EQ(NameOf(folder->focusProxy()), "Output folder");
  QAccessibleInterface* picker = Accessible(folder)->child(1);
  ASSERT_TRUE(picker);
  EXPECT_EQ(picker->role(), QAccessible::Button);
  EXPECT_EQ(picker->text(QAccessible::Name).toStdString(), "Select directory");
}

TEST_F(ProgramTest, TheClockSaysTheTimeItShowsAndTheButtonsCanBePressedByAScreenReader) {
  Start();
  Form1->Show();
  QWidget* clock = Form1->sLabel2->Widget();
  EXPECT_EQ(NameOf(clock), "00:00:00");
  EXPECT_EQ(Accessible(clock)->text(QAccessible::Description).toStdString(), "Position of the preview");
  Form1->ActiveMovie1PositionChange(Form1, 0, 83.4, 0, 0);
  EXPECT_EQ(NameOf(clock), "00:01:23");

  int pressed = 0;
  Form1->sSpeedButton10->OnClick = [&](TObject*) { ++pressed; };
  QAccessibleActionInterface* actions = Accessible(Form1->sSpeedButton10->Widget())->actionInterface();
  ASSERT_TRUE(actions);
  actions->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(test_support::ProcessEventsUntil([&] { return pressed == 1; }));
}

class MainWindowKeys : public ProgramTest {
 protected:
  void SetUp() override {
    Start();
    Form1->Show();
    Form1->Widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form1->Widget()));
    for (TsSpeedButton* button :
         {Form1->sSpeedButton1, Form1->sSpeedButton2, Form1->sSpeedButton4, Form1->sSpeedButton6, Form1->sSpeedButton9,
          Form1->sSpeedButton11, Form1->sSpeedButton12, Form1->sSpeedButton13, Form1->sSpeedButton14})
      button->OnClick = [this](TObject* sender) { ++clicks[static_cast<TComponent*>(sender)->Name()]; };
  }
  // Presses the key in the window with the focus on the control, as a user would.
  void Press(TWinControl* focused, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    focused->SetFocus();
    ASSERT_TRUE(test_support::ProcessEventsUntil([&] { return focused->Widget()->hasFocus(); }));
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
  }

  std::map<AnsiString, int> clicks;
};

TEST_F(MainWindowKeys, EachKeyClicksItsButtonWhereverTheFocusIs) {
  const struct {
    int key;
    Qt::KeyboardModifiers modifiers;
    const char* button;
  } keys[] = {
      {Qt::Key_Space, Qt::NoModifier, "sSpeedButton9"},
      {Qt::Key_O, Qt::ControlModifier, "sSpeedButton1"},
      {Qt::Key_Delete, Qt::NoModifier, "sSpeedButton2"},
      {Qt::Key_I, Qt::NoModifier, "sSpeedButton13"},
      {Qt::Key_O, Qt::NoModifier, "sSpeedButton14"},
      {Qt::Key_Left, Qt::NoModifier, "sSpeedButton11"},
      {Qt::Key_Right, Qt::NoModifier, "sSpeedButton12"},
      {Qt::Key_Return, Qt::ControlModifier, "sSpeedButton4"},
      {Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier, "sSpeedButton4"},
      {Qt::Key_F1, Qt::NoModifier, "sSpeedButton6"},
  };
  for (TWinControl* focused : std::initializer_list<TWinControl*>{Form1->sListView1, Form1->sComboBox1}) {
    for (const auto& k : keys) {
      SCOPED_TRACE(focused->Name() + " " +
                   QKeySequence(QKeyCombination(k.modifiers, static_cast<Qt::Key>(k.key))).toString().toStdString());
      clicks.clear();
      Press(focused, k.key, k.modifiers);
      EXPECT_EQ(clicks, (std::map<AnsiString, int>{{k.button, 1}}));
    }
  }
}

TEST_F(MainWindowKeys, TheTrackBarKeepsItsArrowsAndTheFolderFieldItsCursorKeys) {
  Form1->sTrackBar1->SetPosition(50);
  int moved = 0;
  Form1->sTrackBar1->OnUserChange = [&](TObject*) { ++moved; };
  Press(Form1->sTrackBar1, Qt::Key_Left);
  Press(Form1->sTrackBar1, Qt::Key_Right);
  Press(Form1->sTrackBar1, Qt::Key_Right);
  EXPECT_TRUE(clicks.empty());
  EXPECT_EQ(moved, 3);
  EXPECT_EQ(Form1->sTrackBar1->Position(), 51);
  // The other keys still reach their buttons from the track bar.
  Press(Form1->sTrackBar1, Qt::Key_Space);
  EXPECT_EQ(clicks, (std::map<AnsiString, int>{{"sSpeedButton9", 1}}));

  // The folder field moves its cursor; a key that a read-only field does not use reaches its button.
  clicks.clear();
  Press(Form1->sDirectoryEdit1, Qt::Key_Left);
  EXPECT_TRUE(clicks.empty());
  Press(Form1->sDirectoryEdit1, Qt::Key_Delete);
  EXPECT_EQ(Form1->sDirectoryEdit1->Text(), DefaultOutputFolder());
  EXPECT_EQ(clicks, (std::map<AnsiString, int>{{"sSpeedButton2", 1}}));
}

TEST_F(MainWindowKeys, AKeyDoesNothingWhileItsButtonIsDisabledOrTheWindowIsHidden) {
  Form1->sSpeedButton9->SetEnabled(false);
  Press(Form1->sListView1, Qt::Key_Space);
  EXPECT_TRUE(clicks.empty());
  Form1->sSpeedButton9->SetEnabled(true);
  Form1->Hide();  // as during a batch
  QTest::keyClick(Form1->Widget(), Qt::Key_Space);
  EXPECT_TRUE(clicks.empty());
}

TEST_F(MainWindowKeys, TabStillGoesThroughTheControlsInTheLayoutsOrder) {
  TWinControl* const controls[] = {Form1->sListView1, Form1->sTrackBar1, Form1->sDirectoryEdit1, Form1->sComboBox1};
  Form1->sListView1->SetFocus();
  std::vector<AnsiString> order;
  for (int i = 0; i < 4; ++i) {
    test_support::ProcessEvents(20);
    AnsiString focused = "?";
    for (TWinControl* control : controls)
      if (control->Widget()->hasFocus()) focused = control->Name();
    order.push_back(focused);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(order, (std::vector<AnsiString>{"sListView1", "sTrackBar1", "sDirectoryEdit1", "sComboBox1"}));
}

}  // namespace
