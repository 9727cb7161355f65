#include "settings/settings_dialog.h"

#include "batch/audio_settings.h"
#include "settings/settings_file.h"

TForm2* Form2 = nullptr;

namespace {

void ShowList(TsComboBox& box, const batch::AudioSettingList& list) {
  box.SetItems(std::vector<AnsiString>(list.items.begin(), list.items.end()));
  box.SetItemIndex(list.defaultIndex);
}

}  // namespace

TForm2::~TForm2() {
  if (Form2 == this) Form2 = nullptr;
}

void TForm2::DeclarePublished(TPublishedTable& t) {
  t.Field("sLabel1", sLabel1);
  t.Field("sLabel2", sLabel2);
  t.Field("sLabel3", sLabel3);
  t.Field("sComboBox1", sComboBox1);
  t.Field("sComboBox2", sComboBox2);
  t.Field("sComboBox3", sComboBox3);
  t.Field("sButton1", sButton1);
  t.Field("sButton2", sButton2);
  t.Method("FormShow", this, &TForm2::FormShow);
  t.Method("sButton1Click", this, &TForm2::sButton1Click);
  t.Method("sButton2Click", this, &TForm2::sButton2Click);
}

void TForm2::Loaded() {
  TForm::Loaded();
  ShowList(*sComboBox1, batch::kBitRates);
  ShowList(*sComboBox2, batch::kSampleRates);
  ShowList(*sComboBox3, batch::kChannelCounts);
}

void TForm2::FormShow(TObject*) {
  sComboBox1->SetItemIndex(ReadSettingIndex(kBitRateKey));
  sComboBox2->SetItemIndex(ReadSettingIndex(kSampleRateKey));
  sComboBox3->SetItemIndex(ReadSettingIndex(kChannelsKey));
}

// A refused write raises before Close, so the dialog stays open with the user's choice.
void TForm2::sButton1Click(TObject*) {
  WriteSettingIndex(kBitRateKey, sComboBox1->ItemIndex());
  WriteSettingIndex(kSampleRateKey, sComboBox2->ItemIndex());
  WriteSettingIndex(kChannelsKey, sComboBox3->ItemIndex());
  Close();
}

void TForm2::sButton2Click(TObject*) { Close(); }
