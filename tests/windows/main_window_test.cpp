// The main window as its layout builds it: every control where it stands, with its caption and
// settings; the file filter; the fixed, centred window.
#include <QAbstractButton>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <filesystem>
#include <set>

#include "framework/layout_value.h"
#include "framework/open_dialog.h"
#include "tests/windows/placed.h"
#include "tests/windows/program.h"

namespace {

using test_support::Placed;
using test_support::ProgramTest;

const Placed kMainWindow[] = {
    {"sSpeedButton4", "TsSpeedButton", 8, 8, 49, 49, "Start"},
    {"sSpeedButton5", "TsSpeedButton", 64, 8, 49, 49, "Settings"},
    {"sSpeedButton6", "TsSpeedButton", 120, 8, 49, 49, "Help"},
    {"sSpeedButton7", "TsSpeedButton", 176, 8, 49, 49, "Exit"},
    {"sSpeedButton1", "TsSpeedButton", 408, 64, 73, 25, "Add..."},
    {"sSpeedButton2", "TsSpeedButton", 408, 96, 73, 25, "Delete"},
    {"sSpeedButton3", "TsSpeedButton", 408, 128, 73, 25, " Clear"},
    {"sSpeedButton9", "TsSpeedButton", 8, 224, 25, 17, ""},
    {"sSpeedButton10", "TsSpeedButton", 38, 224, 25, 17, ""},
    {"sSpeedButton11", "TsSpeedButton", 70, 224, 25, 17, ""},
    {"sSpeedButton12", "TsSpeedButton", 222, 224, 25, 17, ""},
    {"sSpeedButton13", "TsSpeedButton", 254, 224, 40, 17, "Begin"},
    {"sSpeedButton14", "TsSpeedButton", 302, 224, 40, 17, "End"},
    {"sLabel2", "TsLabel", 352, 226, -1, 13, "00:00:00"},
    {"sLabel3", "TsLabel", 8, 248, -1, 13, "Output Folder:"},
    {"sLabel1", "TsLabel", 408, 248, -1, 13, "Output Format:"},
    {"sLabel4", "TsLabel", 408, 200, -1, 13, "Added: 0 file(s)."},
    {"Image1", "TImage", 368, 14, 108, 34, ""},
    {"sListView1", "TsListView", 8, 64, 393, 153, ""},
    {"sTrackBar1", "TsTrackBar", 96, 222, 123, 25, ""},
    {"sDirectoryEdit1", "TsDirectoryEdit", 8, 264, 385, 21, nullptr},
    {"sComboBox1", "TsComboBox", 408, 264, 73, 21, ""},
    {"GroupBox3", "TGroupBox", 40, 96, 313, 97, "Progress: "},
    {"Label5", "TLabel", 16, 24, -1, 13, ""},
    {"ProgressBar1", "TProgressBar", 16, 64, 281, 17, ""},
    {"ActiveMovie1", "TActiveMovie", 424, 336, 41, 33, ""},
};

TEST_F(ProgramTest, EveryControlOfTheMainWindowStandsWhereItsTableSays) {
  Start();
  Form1->Show();
  ExpectPlaced(*Form1, kMainWindow);
  EXPECT_EQ(Form1->GroupBox3->Parent(), Form1);
  EXPECT_EQ(Form1->Label5->Parent(), Form1->GroupBox3);
  EXPECT_EQ(Form1->ProgressBar1->Parent(), Form1->GroupBox3);
  for (const Placed& row : kMainWindow) {
    if (std::string(row.className) == "TsLabel") {
      auto* label = static_cast<TsLabel*>(Form1->FindComponent(row.name));
      EXPECT_EQ(label->Font().Color, 5059883) << row.name;
      EXPECT_GT(label->Width(), 0) << row.name;
    }
  }
}

TEST_F(ProgramTest, TheMainWindowsButtonsCarryTheirGlyphsHintAndHandlers) {
  Start();
  struct Glyph {
    TsSpeedButton* button;
    int width, height;
  };
  const Glyph glyphs[] = {
      {Form1->sSpeedButton4, 24, 24}, {Form1->sSpeedButton5, 24, 24}, {Form1->sSpeedButton6, 24, 24},
      {Form1->sSpeedButton7, 24, 24}, {Form1->sSpeedButton1, 16, 16}, {Form1->sSpeedButton2, 16, 16},
      {Form1->sSpeedButton3, 16, 16}, {Form1->sSpeedButton9, 10, 9},  {Form1->sSpeedButton10, 9, 9},
      {Form1->sSpeedButton11, 10, 9}, {Form1->sSpeedButton12, 10, 9}, {Form1->sSpeedButton13, 0, 0},
      {Form1->sSpeedButton14, 0, 0}};
  for (const Glyph& g : glyphs) {
    SCOPED_TRACE(g.button->Name());
    EXPECT_EQ(QSize(g.button->Glyph().Width(), g.button->Glyph().Height()), QSize(g.width, g.height));
    if (g.width) {
      EXPECT_EQ(g.button->Glyph().Image().depth(), 24);
    }
    EXPECT_TRUE(g.button->OnClick);
    EXPECT_EQ(g.button->SkinData().SkinSection, "SPEEDBUTTON");
    EXPECT_EQ(g.button->ShowHint(), g.button == Form1->sSpeedButton2);
  }
  for (TsSpeedButton* big : {Form1->sSpeedButton4, Form1->sSpeedButton5, Form1->sSpeedButton6, Form1->sSpeedButton7})
    EXPECT_EQ(big->Layout(), TButtonLayout::blGlyphTop);
  EXPECT_EQ(Form1->sSpeedButton2->Hint(), "Delete");
  EXPECT_TRUE(Form1->sTrackBar1->OnUserChange);
  EXPECT_TRUE(Form1->OnCreate);
  EXPECT_TRUE(Form1->OnDestroy);

  EXPECT_EQ(Form1->Image1->Picture().Width(), 108);
  EXPECT_EQ(Form1->Image1->Picture().Height(), 34);
  EXPECT_EQ(Form1->Image1->Picture().Bitmap().Image().depth(), 24);
  EXPECT_TRUE(Form1->Image1->Transparent());
  const QImage& icon = Form1->Icon().Image();
  EXPECT_EQ(icon.size(), QSize(32, 32));
  EXPECT_LE(icon.colorCount(), 16);
  EXPECT_GT(icon.colorCount(), 0);
}

TEST_F(ProgramTest, TheMainWindowsListsFieldsTimersAndSkinComponentsHaveTheirSettings) {
  Start();
  Form1->Show();
  TsListView& list = *Form1->sListView1;
  ASSERT_EQ(list.Columns().size(), 3u);
  EXPECT_EQ(list.Columns()[0].Caption, "Source Video Files");
  EXPECT_EQ(list.Columns()[0].Width, 150);
  EXPECT_EQ(list.Columns()[1].Caption, "Begin Time - End Time");
  EXPECT_EQ(list.Columns()[1].Width, 120);
  EXPECT_EQ(list.Columns()[2].Caption, "Duration");
  EXPECT_EQ(list.Columns()[2].Width, 70);
  EXPECT_EQ(list.ViewStyle(), TViewStyle::vsReport);
  EXPECT_FALSE(list.ColumnClick());
  EXPECT_TRUE(list.ReadOnly());
  EXPECT_TRUE(list.RowSelect());
  EXPECT_FALSE(list.HideSelection());
  EXPECT_FALSE(list.MultiSelect());
  EXPECT_EQ(list.Color(), clWhite);
  EXPECT_EQ(list.Font().Color, clBlack);
  EXPECT_EQ(list.SkinData().SkinSection, "EDIT");

  EXPECT_EQ(Form1->sTrackBar1->Min(), 0);
  EXPECT_EQ(Form1->sTrackBar1->Max(), 100);
  EXPECT_EQ(Form1->sTrackBar1->TickStyle(), TTickStyle::tsNone);
  EXPECT_EQ(Form1->sTrackBar1->ThumbLength(), 18);
  EXPECT_EQ(Form1->sTrackBar1->SkinData().SkinSection, "TRACKBAR");

  TsDirectoryEdit& folder = *Form1->sDirectoryEdit1;
  EXPECT_EQ(folder.Text(), DefaultOutputFolder());
  EXPECT_EQ(folder.MaxLength(), 255);
  EXPECT_TRUE(folder.ReadOnly());
  EXPECT_EQ(folder.InitialDir, win32::DefaultRoot());
  EXPECT_EQ(folder.Color(), clWhite);
  EXPECT_EQ(folder.SkinData().SkinSection, "EDIT");

  TsComboBox& format = *Form1->sComboBox1;
  EXPECT_EQ(format.Items(), (std::vector<AnsiString>{"MP3", "AC3", "WAV"}));
  EXPECT_EQ(format.ItemIndex(), 0);
  EXPECT_EQ(format.Text(), "MP3");
  EXPECT_EQ(format.Style(), TComboBoxStyle::csDropDownList);
  EXPECT_EQ(format.ItemHeight(), 13);
  EXPECT_EQ(format.SkinData().SkinSection, "COMBOBOX");

  EXPECT_FALSE(Form1->GroupBox3->Visible());
  EXPECT_FALSE(Form1->GroupBox3->Widget()->isVisible());
  EXPECT_EQ(Form1->Label5->Caption(), "");
  // tab order: list, track bar, folder, format, the preview player, then the progress group
  EXPECT_EQ(list.TabOrder(), 0);
  EXPECT_EQ(Form1->sTrackBar1->TabOrder(), 1);
  EXPECT_EQ(folder.TabOrder(), 2);
  EXPECT_EQ(format.TabOrder(), 3);
  EXPECT_EQ(Form1->ActiveMovie1->TabOrder(), 4);
  EXPECT_EQ(Form1->GroupBox3->TabOrder(), 5);
  EXPECT_EQ(Form1->ProgressBar1->TabOrder(), 0);

  EXPECT_TRUE(Form1->Timer1->Enabled());
  EXPECT_TRUE(Form1->Timer1->Running());
  EXPECT_EQ(Form1->Timer1->Interval(), 1000u);
  EXPECT_EQ(Form1->Timer1->Tag(), -222);
  EXPECT_TRUE(Form1->Timer1->OnTimer);
  EXPECT_FALSE(Form1->Timer2->Enabled());
  EXPECT_FALSE(Form1->Timer2->Running());
  EXPECT_EQ(Form1->Timer2->Interval(), 1000u);
  EXPECT_TRUE(Form1->Timer2->OnTimer);

  EXPECT_EQ(Form1->sSkinManager1->SkinName(), "WLM (internal)");
  EXPECT_TRUE(Form1->sSkinManager1->Active());
  EXPECT_EQ(Form1->sSkinManager1->SkinVersion, "6.4");
  EXPECT_EQ(Form1->sSkinManager1->MenuIconLineSection, "ICOLINE");
  EXPECT_EQ(Form1->sSkinManager1->SkinnedStandardClasses, std::vector<AnsiString>{"TButton"});
  EXPECT_EQ(Form1->sSkinProvider1->SkinSection, "FORM");
  EXPECT_EQ(Form1->sSkinProvider1->TitleAlignment, TAlignment::taCenter);
  EXPECT_FALSE(Form1->sSkinProvider1->ShowAppIcon);
  EXPECT_TRUE(Form1->sSkinProvider1->TitleButtons.empty());
  EXPECT_EQ(Form1->sHintManager1->SkinSection, "HINT");
  EXPECT_TRUE(Form1->sHintManager1->SkinnedHints);
  EXPECT_FALSE(Form1->sHintManager1->Shadow);

  EXPECT_EQ(Form1->Caption(), "Sonvarra 1.0");
  EXPECT_EQ(Form1->Widget()->windowTitle().toStdString(), "Sonvarra 1.0");
  EXPECT_EQ(Form1->Color(), 14604248);
  EXPECT_EQ(Form1->Widget()->palette().color(QPalette::Window), QColor(216, 215, 222));
  EXPECT_EQ(Form1->Font().Name, "MS Sans Serif");
  EXPECT_EQ(Form1->Font().Height, -11);
}

TEST_F(ProgramTest, ThePreviewPlayerIsHiddenBelowTheClientAreaWithItsFormValues) {
  Start();
  Form1->Show();
  TActiveMovie& movie = *Form1->ActiveMovie1;
  EXPECT_FALSE(movie.Visible());
  EXPECT_GT(movie.Top(), Form1->ClientHeight()) << "below the client area";
  EXPECT_EQ(movie.Color(), Form1->Color()) << "the form's colour";
  EXPECT_GT(movie.VideoPanel()->Left(), movie.Width()) << "the video out of sight";
  EXPECT_TRUE(movie.OnPositionChange);
  // The values the player holds, read back from it.
  const std::pair<const char*, bool> flags[] = {
      {"AllowScan", movie.AllowScan()},
      {"AnimationAtStart", movie.AnimationAtStart()},
      {"AutoRewind", !movie.AutoRewind()},
      {"ClickToPlay", movie.ClickToPlay()},
      {"EnableContextMenu", movie.EnableContextMenu()},
      {"Enabled", movie.Enabled()},
      {"EnableFullScreenControls", !movie.EnableFullScreenControls()},
      {"EnablePositionControls", movie.EnablePositionControls()},
      {"EnableTracker", movie.EnableTracker()},
      {"InvokeURLs", movie.InvokeURLs()},
      {"SendErrorEvents", movie.SendErrorEvents()},
      {"SendKeyboardEvents", !movie.SendKeyboardEvents()},
      {"SendMouseClickEvents", !movie.SendMouseClickEvents()},
      {"SendMouseMoveEvents", !movie.SendMouseMoveEvents()},
      {"SendOpenStateChangeEvents", movie.SendOpenStateChangeEvents()},
      {"SendPlayStateChangeEvents", movie.SendPlayStateChangeEvents()},
      {"SendWarningEvents", movie.SendWarningEvents()},
      {"ShowAudioControls", movie.ShowAudioControls()},
      {"ShowCaptioning", !movie.ShowCaptioning()},
      {"ShowControls", movie.ShowControls()},
      {"ShowDisplay", !movie.ShowDisplay()},
      {"ShowGotoBar", !movie.ShowGotoBar()},
      {"ShowPositionControls", movie.ShowPositionControls()},
      {"ShowStatusBar", !movie.ShowStatusBar()},
      {"ShowTracker", movie.ShowTracker()},
      {"VideoBorder3D", !movie.VideoBorder3D()},
  };
  for (const auto& [name, asStored] : flags) EXPECT_TRUE(asStored) << name;
  EXPECT_EQ(movie.AudioStream(), -1);
  EXPECT_EQ(movie.Language(), -1);
  EXPECT_EQ(movie.CursorType(), 0);
  EXPECT_EQ(movie.PlayCount(), 1);
  EXPECT_EQ(movie.VideoBorderColor(), clBlack);
  EXPECT_EQ(movie.VideoBorderWidth(), 0);
  EXPECT_EQ(movie.DisplayMode(), TDisplayMode::mpTime);
  EXPECT_FALSE(movie.AutoStart());
}

TEST_F(ProgramTest, TheOpenDialogOffersTheVideoFilterEntryByEntry) {
  Start();
  const char* const expected[19][2] = {
      {"ALL Video files", ""},
      {"AVI files (*.avi)", "*.avi"},
      {"MPEG files (*.mpeg;*.mpg;*.mpe;*.m1v;*.m2v)", "*.mpeg;*.mpg;*.mpe;*.m1v;*.m2v"},
      {"Windows Video files (*.wmv;*.asf;*.asx)", "*.wmv;*.asf;*.asx"},
      {"Quick Time file (*.mov;*.qt)", "*.mov;*.qt"},
      {"RealMedia file (*.rm;*.rmvb)", "*.rm;*.rmvb"},
      {"Flash Video (*.flv)", "*.flv"},
      {"DivX Video (*.divx;*.div)", "*.divx;*.div"},
      {"XviD Video (*.xvid)", "*.xvid"},
      {"VCD DAT files (*.dat)", "*.dat"},
      {"VOB files (*.vob)", "*.vob"},
      {"3GP files (*.3gp;*.3g2)", "*.3gp;*.3g2"},
      {"MJPEG Video files (*.mjpg;*.mjpeg)", "*.mjpg;*.mjpeg"},
      {"Raw Video files (*.h261;*.h264;*.yuv;*.raw)", "*.h261;*.h264;*.yuv;*.raw"},
      {"MKV files (*.mkv)", "*.mkv"},
      {"OGM files (*.ogm)", "*.ogm"},
      {"MPEG-4 files (*.mp4)", "*.mp4"},
      {"SDP files (*.sdp)", "*.sdp"},
      {"ALL files (*.*)", "*.*"},
  };
  AnsiString allVideo;  // entry 1 is entries 2 to 18 joined
  for (int i = 1; i <= 17; ++i) allVideo += (i > 1 ? ";" : "") + AnsiString(expected[i][1]);
  AnsiString filter = AnsiString(expected[0][0]) + "|" + allVideo;
  for (int i = 1; i < 19; ++i) filter += AnsiString("|") + expected[i][0] + "|" + expected[i][1];
  EXPECT_EQ(Form1->OpenDialog1->Filter, filter);
  EXPECT_EQ(Form1->OpenDialog1->FilterIndex, 1);
  EXPECT_EQ(Form1->OpenDialog1->Options, ofHideReadOnly | ofAllowMultiSelect | ofEnableSizing);
  EXPECT_TRUE(Form1->OpenDialog1->Title.empty());
  EXPECT_TRUE(Form1->OpenDialog1->InitialDir.empty());
  EXPECT_TRUE(Form1->OpenDialog1->DefaultExt.empty());

  const std::vector<TFilterEntry> entries = ParseFilter(Form1->OpenDialog1->Filter);
  ASSERT_EQ(entries.size(), 19u);
  auto matching = [&](const char* name) {
    std::set<int> found;
    for (int i = 0; i < 18; ++i)
      if (FilterEntryMatches(entries[i], name)) found.insert(i + 1);
    return found;
  };
  EXPECT_EQ(matching("clip.m2v"), (std::set<int>{1, 3}));
  EXPECT_EQ(matching("clip.2v"), std::set<int>{});
  EXPECT_TRUE(FilterEntryMatches(entries[18], "clip.2v"));

  // what the dialog is asked to show
  dialogs->openAnswers.push_back(std::vector<AnsiString>{"/a/one.avi", "/a/two.mkv"});
  ASSERT_TRUE(Form1->OpenDialog1->Execute());
  EXPECT_EQ(Form1->OpenDialog1->Files, (std::vector<AnsiString>{"/a/one.avi", "/a/two.mkv"}));
  ASSERT_EQ(dialogs->openRequests.size(), 1u);
  EXPECT_TRUE(dialogs->openRequests[0].multiSelect);
  EXPECT_TRUE(dialogs->openRequests[0].hideReadOnly);
  EXPECT_TRUE(dialogs->openRequests[0].resizable);
  EXPECT_EQ(dialogs->openRequests[0].filterIndex, 1);
}

TEST_F(ProgramTest, TheMainWindowHasAFixedSizeAndOpensCentredOnTheDesktop) {
  Start();
  Form1->Show();
  QWidget& window = *Form1->Widget();
  EXPECT_EQ(window.size(), QSize(494, 299));
  EXPECT_EQ(window.minimumSize(), QSize(494, 299));
  EXPECT_EQ(window.maximumSize(), QSize(494, 299));
  window.resize(700, 500);
  EXPECT_EQ(window.size(), QSize(494, 299));
  EXPECT_EQ(Form1->ClientWidth(), 494);
  EXPECT_EQ(Form1->ClientHeight(), 299);
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(window.windowFlags() & Qt::WindowSystemMenuHint);
  EXPECT_FALSE(Form1->Resizable());
  const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE(std::abs(window.geometry().center().x() - desktop.center().x()), 1);
  EXPECT_LE(std::abs(window.geometry().center().y() - desktop.center().y()), 1);
}

}  // namespace

TEST_F(ProgramTest, AnOutputFolderWhoseNameIsNotUtf8StaysThatFolderWhenEditedAndAtStart) {
  Start();
  Form1->Show();
  const std::string folder = places.HomeDir() + "/\xE9t\xE9";  // Latin-1, as an old disk has it
  std::filesystem::create_directories(folder);
  Form1->sDirectoryEdit1->SetText(folder);
  // The field shows Qt's text for the name; the user types a delimiter after it.
  auto* edit = Form1->sDirectoryEdit1->Widget()->findChild<QLineEdit*>();
  ASSERT_NE(edit, nullptr);
  edit->setText(edit->text() + "/");
  emit edit->textEdited(edit->text());
  EXPECT_EQ(Form1->sDirectoryEdit1->Text(), folder + "/");

  static_cast<QAbstractButton*>(Form1->sSpeedButton4->Widget())->click();  // an empty list ends at once
  ASSERT_FALSE(dialogs->messages.empty());
  EXPECT_EQ(dialogs->messages.back().text, "Done.");
  std::vector<std::string> inHome;
  for (const auto& entry : std::filesystem::directory_iterator(places.HomeDir()))
    inHome.push_back(entry.path().string());
  EXPECT_EQ(inHome, std::vector<std::string>{folder}) << "Start made a folder of its own";
}
