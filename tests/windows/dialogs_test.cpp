// The settings and progress dialogs as their layouts build them.
#include "tests/windows/placed.h"
#include "tests/windows/program.h"

namespace {

using test_support::Placed;
using test_support::ProgramTest;

const Placed kSettings[] = {
    {"sLabel1", "TsLabel", 8, 8, -1, 13, "Audio Bit Rate:"},
    {"sLabel2", "TsLabel", 8, 32, -1, 13, "Audio Sample Rate:"},
    {"sLabel3", "TsLabel", 8, 56, -1, 13, "Channels:"},
    {"sComboBox1", "TsComboBox", 112, 8, 145, 21, ""},
    {"sComboBox2", "TsComboBox", 112, 32, 145, 21, ""},
    {"sComboBox3", "TsComboBox", 112, 56, 145, 21, ""},
    {"sButton1", "TsButton", 104, 96, 75, 25, "OK"},
    {"sButton2", "TsButton", 184, 96, 75, 25, "Cancel"},
};

const Placed kProgress[] = {
    {"sLabel1", "TsLabel", 8, 8, -1, 13, "Current Operation:"},
    {"sLabel2", "TsLabel", 336, 8, 41, 13, "0%"},
    {"sGauge1", "TsGauge", 8, 32, 369, 17, ""},
    {"sLabel3", "TsLabel", 8, 56, -1, 13, "Total Progress:"},
    {"sLabel4", "TsLabel", 336, 56, 41, 13, "0%"},
    {"sGauge2", "TsGauge", 8, 80, 369, 17, ""},
    {"sButton1", "TsButton", 304, 104, 75, 25, "Cancel"},
};

TEST_F(ProgramTest, TheSettingsDialogHoldsItsListsAndButtons) {
  Start();
  EXPECT_FALSE(Form2->Visible());
  Form2->Show();
  ExpectPlaced(*Form2, kSettings);
  EXPECT_EQ(Form2->Caption(), "Settings");
  EXPECT_EQ(Form2->BorderStyle(), TFormBorderStyle::bsDialog);
  EXPECT_EQ(Form2->Widget()->size(), QSize(266, 131));
  EXPECT_FALSE(Form2->Resizable());
  EXPECT_EQ(Form2->Position(), TPosition::poDesktopCenter);
  EXPECT_EQ(Form2->Color(), clBtnFace);
  EXPECT_TRUE(Form2->OnShow);

  EXPECT_EQ(
      Form2->sComboBox1->Items(),
      (std::vector<AnsiString>{"32 kbps", "40 kbps", "48 kbps", "56 kbps", "64 kbps", "80 kbps", "96 kbps", "112 kbs",
                               "128 kbps", "160 kbps", "192 kbps", "224 kbps", "256 kbps", "320 kbps"}));
  EXPECT_EQ(Form2->sComboBox1->Text(), "128 kbps");
  EXPECT_EQ(Form2->sComboBox2->Items(),
            (std::vector<AnsiString>{"16000 Hz", "22050 Hz", "32000 Hz", "44100 Hz", "48000 Hz"}));
  EXPECT_EQ(Form2->sComboBox2->Text(), "44100 Hz");
  EXPECT_EQ(Form2->sComboBox3->Items(), (std::vector<AnsiString>{"Mono (1)", "Stereo (2)"}));
  EXPECT_EQ(Form2->sComboBox3->Text(), "Stereo (2)");
  int order = 0;
  for (TsComboBox* list : {Form2->sComboBox1, Form2->sComboBox2, Form2->sComboBox3}) {
    EXPECT_EQ(list->Style(), TComboBoxStyle::csDropDownList);
    EXPECT_EQ(list->Color(), 16119285);
    EXPECT_EQ(list->Font().Color, clBlack);
    EXPECT_EQ(list->ItemHeight(), 13);
    EXPECT_EQ(list->SkinData().SkinSection, "COMBOBOX");
    EXPECT_EQ(list->TabOrder(), order++);
  }
  for (TsButton* button : {Form2->sButton1, Form2->sButton2}) {
    EXPECT_EQ(button->SkinData().SkinSection, "BUTTON");
    EXPECT_EQ(button->TabOrder(), order++);
    EXPECT_TRUE(button->OnClick);
  }
  for (TsLabel* label : {Form2->sLabel1, Form2->sLabel2, Form2->sLabel3}) EXPECT_EQ(label->Font().Color, clBlack);
}

TEST_F(ProgramTest, TheProgressDialogHoldsItsGaugesLabelsAndCancel) {
  Start();
  EXPECT_FALSE(Form3->Visible());
  Form3->Show();
  ExpectPlaced(*Form3, kProgress);
  EXPECT_EQ(Form3->Caption(), "Converting...");
  EXPECT_EQ(Form3->BorderStyle(), TFormBorderStyle::bsDialog);
  EXPECT_EQ(Form3->Widget()->size(), QSize(387, 140));
  EXPECT_FALSE(Form3->Widget()->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(Form3->Widget()->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(Form3->Font().Size(), 8);
  EXPECT_TRUE(Form3->OnCloseQuery);
  for (TsLabel* label : {Form3->sLabel1, Form3->sLabel2, Form3->sLabel3, Form3->sLabel4})
    EXPECT_EQ(label->Font().Color, 5059883);
  for (TsLabel* label : {Form3->sLabel2, Form3->sLabel4}) {
    EXPECT_FALSE(label->AutoSize());
    EXPECT_EQ(label->Alignment(), TAlignment::taRightJustify);
  }
  for (TsGauge* gauge : {Form3->sGauge1, Form3->sGauge2}) {
    EXPECT_FALSE(gauge->ShowText());
    EXPECT_EQ(gauge->Progress(), 0);
    EXPECT_EQ(gauge->MaxValue(), 100);
    EXPECT_EQ(gauge->SkinData().SkinSection, "GAUGE");
  }
  EXPECT_EQ(Form3->sButton1->TabOrder(), 0);
  EXPECT_EQ(Form3->sButton1->SkinData().SkinSection, "BUTTON");
}

}  // namespace
