// Common controls: TProgressBar.
#pragma once

#include "framework/controls.h"

class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* owner);

  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetMin(int value);
  void SetMax(int value);
  void SetPosition(int value);  // kept within Min..Max

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  void InitializeWidget() override;

 private:
  void ApplyRange();
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
};
