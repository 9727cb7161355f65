// TsGauge: a skinned progress gauge without a window of its own.
#pragma once

#include "framework/controls.h"
#include "framework/skin/skin_data.h"

class TsGauge : public TControl {
 public:
  explicit TsGauge(TComponent* owner);

  TsSkinData& SkinData() { return skinData_; }
  int MinValue() const { return minValue_; }
  int MaxValue() const { return maxValue_; }
  int Progress() const { return progress_; }
  // A value outside MinValue..MaxValue is kept at the nearest bound.
  void SetProgress(int value);
  bool ShowText() const { return showText_; }
  void SetShowText(bool value);

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  void InitializeWidget() override;
  void ApplyColor() override {}

 private:
  void ApplyProgress();
  TsSkinData skinData_{"GAUGE"};
  int minValue_ = 0;
  int maxValue_ = 100;
  int progress_ = 0;
  bool showText_ = true;
};
