// The settings dialog and the audio keys of "settings.ini".
#include <QAbstractButton>
#include <QTimer>
#include <functional>

#include "tests/windows/program.h"

namespace {

using test_support::ReadFile;
using test_support::WriteFile;

class SettingsDialogTest : public test_support::ProgramTest {
 protected:
  void SetUp() override {
    Start();
    Form1->Show();
  }
  // Shows the dialog as the Settings button does, and runs the steps while it is open.
  void WhileShown(const std::function<void()>& steps) {
    QTimer::singleShot(0, [&] {
      steps();
      if (Form2->ModalResult() == mrNone) Form2->Close();
    });
    Form2->ShowModal();
  }
  void Click(TControl* button) { static_cast<QAbstractButton*>(button->Widget())->click(); }
  std::vector<int> Selections() const {
    return {Form2->sComboBox1->ItemIndex(), Form2->sComboBox2->ItemIndex(), Form2->sComboBox3->ItemIndex()};
  }
};

TEST_F(SettingsDialogTest, WithoutAFileTheDefaultsShowAndOkStoresThem) {
  WhileShown([&] {
    EXPECT_EQ(Selections(), (std::vector<int>{8, 3, 1}));
    EXPECT_EQ(Form2->sComboBox1->Text(), "128 kbps");
    Click(Form2->sButton1);
    EXPECT_NE(Form2->ModalResult(), mrNone) << "OK closes the dialog";
  });
  EXPECT_EQ(ReadFile(places.SettingsFile()), "[SETTINGS]\r\nPARAM_1=8\r\nPARAM_2=3\r\nPARAM_3=1\r\n");
}

TEST_F(SettingsDialogTest, CancelKeepsTheFileAndTheNextShowReloadsIt) {
  WriteFile(places.SettingsFile(), "; mine\n[SETTINGS]\nPARAM_4=/music/\nPARAM_1=13\n");
  WhileShown([&] {
    EXPECT_EQ(Selections(), (std::vector<int>{13, 3, 1}));
    Form2->sComboBox3->SetItemIndex(0);
    Click(Form2->sButton2);
  });
  EXPECT_EQ(ReadFile(places.SettingsFile()), "; mine\n[SETTINGS]\nPARAM_4=/music/\nPARAM_1=13\n");
  WhileShown([&] {
    EXPECT_EQ(Form2->sComboBox3->ItemIndex(), 1);
    Form2->sComboBox2->SetItemIndex(0);
    Click(Form2->sButton1);
  });
  EXPECT_EQ(ReadFile(places.SettingsFile()), "; mine\n[SETTINGS]\nPARAM_4=/music/\nPARAM_1=13\nPARAM_2=0\nPARAM_3=1\n");
}

TEST_F(SettingsDialogTest, HandEditedValuesThatNoListHoldsReadAsTheDefaults) {
  WriteFile(places.SettingsFile(), "[settings]\nparam_1=abc\nPARAM_2=99\nPARAM_3=-1\n");
  WhileShown([&] {
    EXPECT_EQ(Selections(), (std::vector<int>{8, 3, 1}));
    Click(Form2->sButton1);
  });
  EXPECT_EQ(ReadSettingIndex(kBitRateKey), 8);
  EXPECT_EQ(ReadFile(places.SettingsFile()), "[settings]\nparam_1=8\nPARAM_2=3\nPARAM_3=1\n");
}

TEST_F(SettingsDialogTest, TheDialogShowsTheBatchsListsAndTheKeysKnowHowLongTheyAre) {
  const std::vector<AnsiString> bitRates = Form2->sComboBox1->Items();
  ASSERT_EQ(static_cast<int>(bitRates.size()), kBitRateKey.count);
  EXPECT_EQ(bitRates[7], "112 kbs") << "the texts exactly as shown";
  EXPECT_EQ(bitRates[static_cast<std::size_t>(kBitRateKey.defaultIndex)], "128 kbps");
  EXPECT_EQ(Form2->sComboBox2->Items(),
            std::vector<AnsiString>(std::begin(batch::kSampleRateItems), std::end(batch::kSampleRateItems)));
  EXPECT_EQ(Form2->sComboBox3->Items(), (std::vector<AnsiString>{"Mono (1)", "Stereo (2)"}));
  EXPECT_EQ(Selections(), (std::vector<int>{8, 3, 1})) << "chosen before the dialog was ever shown";
  for (const SettingKey* key : {&kBitRateKey, &kSampleRateKey, &kChannelsKey}) {
    WriteFile(places.SettingsFile(), "[SETTINGS]\n" + std::string(key->name) + "=" + IntToStr(key->count - 1) + "\n");
    EXPECT_EQ(ReadSettingIndex(*key), key->count - 1) << key->name;
  }
}

TEST_F(SettingsDialogTest, AFileThatCannotBeWrittenIsReportedAndTheDialogStaysOpen) {
  // neither beside the program nor in the user's folder
  WriteFile(places.Root() + "/blocker", "x");
  places.Environment().Set("SONVARRA_MODULE_PATH", places.Root() + "/blocker/program/sonvarra");
  places.Environment().Set("XDG_CONFIG_HOME", places.Root() + "/blocker/config");
  WhileShown([&] {
    Form2->sComboBox1->SetItemIndex(2);
    Click(Form2->sButton1);
    EXPECT_EQ(Form2->ModalResult(), mrNone) << "the dialog stays open";
    EXPECT_EQ(Form2->sComboBox1->ItemIndex(), 2);
  });
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "Unable to write to " + places.Root() + "/blocker/config/sonvarra/settings.ini");
}

}  // namespace
