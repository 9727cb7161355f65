// TsButton: a skinned push button with its own window.
#pragma once

#include "framework/controls.h"
#include "framework/skin/skin_data.h"

class TsButton : public TWinControl {
 public:
  explicit TsButton(TComponent* owner);

  TsSkinData& SkinData() { return skinData_; }
  // A button with a modal result ends the modal run of its form with that result when clicked.
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int value) { modalResult_ = value; }
  bool Default() const { return default_; }
  void SetDefault(bool value);

  void Click() override;
  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  void InitializeWidget() override;
  void ApplyCaption() override;

 private:
  TsSkinData skinData_{"BUTTON"};
  int modalResult_ = 0;
  bool default_ = false;
};
