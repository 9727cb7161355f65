// TsTrackBar: a skinned track bar with its own window.
#pragma once

#include "framework/controls.h"
#include "framework/skin/skin_data.h"

enum class TTickStyle { tsNone, tsAuto, tsManual };

class TsTrackBar : public TWinControl {
 public:
  explicit TsTrackBar(TComponent* owner);

  TsSkinData& SkinData() { return skinData_; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetMin(int value);
  void SetMax(int value);
  // Kept within Min..Max; fires OnChange but never OnUserChange.
  void SetPosition(int value);
  TTickStyle TickStyle() const { return tickStyle_; }
  void SetTickStyle(TTickStyle style);
  int ThumbLength() const { return thumbLength_; }
  void SetThumbLength(int length) { thumbLength_ = length; }

  TNotifyEvent OnChange;      // every change of Position
  TNotifyEvent OnUserChange;  // a change that the user made

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  void InitializeWidget() override;

 private:
  void ApplyRange();
  void ValueChanged(int value);
  TsSkinData skinData_{"TRACKBAR"};
  int min_ = 0;
  int max_ = 10;
  int position_ = 0;
  TTickStyle tickStyle_ = TTickStyle::tsAuto;
  int thumbLength_ = 20;
  bool userMove_ = false;
  bool applying_ = false;
};
