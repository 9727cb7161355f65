// TsLabel: a label drawn by the skin.
#pragma once

#include "framework/skin/skin_data.h"
#include "framework/stdctrls.h"

class TsLabel : public TLabel {
 public:
  explicit TsLabel(TComponent* owner) : TLabel(owner) {}
  TsSkinData& SkinData() { return skinData_; }
  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override {
    if (!SetSkinDataProperty(skinData_, name, value)) TLabel::SetLayoutProperty(name, value);
  }

 private:
  TsSkinData skinData_;
};
