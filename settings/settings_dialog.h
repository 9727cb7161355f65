// The settings dialog TForm2: audio bit rate, sample rate and channels.
#pragma once

#include "framework/forms.h"
#include "framework/skin/sbutton.h"
#include "framework/skin/scombobox.h"
#include "framework/skin/slabel.h"

class TForm2 : public TForm {
 public:
  explicit TForm2(TComponent* owner) : TForm(owner) {}
  ~TForm2() override;
  TForm2(const TForm2&) = delete;
  TForm2& operator=(const TForm2&) = delete;

  TsLabel* sLabel1 = nullptr;
  TsLabel* sLabel2 = nullptr;
  TsLabel* sLabel3 = nullptr;
  TsComboBox* sComboBox1 = nullptr;  // bit rate
  TsComboBox* sComboBox2 = nullptr;  // sample rate
  TsComboBox* sComboBox3 = nullptr;  // channels
  TsButton* sButton1 = nullptr;      // OK
  TsButton* sButton2 = nullptr;      // Cancel

  void FormShow(TObject* Sender);
  void sButton1Click(TObject* Sender);
  void sButton2Click(TObject* Sender);

  void DeclarePublished(TPublishedTable& table) override;

 protected:
  // The three lists come from batch/audio_settings.h, not from the layout.
  void Loaded() override;
};

extern TForm2* Form2;
