// The progress dialog TForm3, shown while a batch runs.
#pragma once

#include "framework/forms.h"
#include "framework/skin/sbutton.h"
#include "framework/skin/sgauge.h"
#include "framework/skin/slabel.h"

class TForm3 : public TForm {
 public:
  explicit TForm3(TComponent* owner) : TForm(owner) {}
  ~TForm3() override;
  TForm3(const TForm3&) = delete;
  TForm3& operator=(const TForm3&) = delete;

  TsLabel* sLabel1 = nullptr;
  TsLabel* sLabel2 = nullptr;
  TsGauge* sGauge1 = nullptr;
  TsLabel* sLabel3 = nullptr;
  TsLabel* sLabel4 = nullptr;
  TsGauge* sGauge2 = nullptr;
  TsButton* sButton1 = nullptr;

  void sButton1Click(TObject* Sender);  // Cancel
  void FormCloseQuery(TObject* Sender, bool& CanClose);

  void DeclarePublished(TPublishedTable& table) override;
};

extern TForm3* Form3;
