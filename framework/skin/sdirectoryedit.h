// TsDirectoryEdit: a skinned folder field whose picker button chooses a folder through the dialog
// service. With ReadOnly (the default) nothing can be typed into it.
#pragma once

#include "framework/controls.h"
#include "framework/skin/skin_data.h"

class TsDirectoryEdit : public TWinControl {
 public:
  explicit TsDirectoryEdit(TComponent* owner);

  TsSkinData& SkinData() { return skinData_; }
  const AnsiString& Text() const { return caption_; }
  void SetText(const AnsiString& text);  // kept whole: MaxLength limits only what can be typed
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int length);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  AnsiString InitialDir;  // where the picker starts when the text names no folder
  AnsiString Root;        // the picker's root; empty for the desktop
  AnsiString DialogTitle = "Select directory";

  // Opens the folder picker; true when the user chose a folder (which is then the text).
  bool ChooseFolder();
  TNotifyEvent OnChange;

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  void InitializeWidget() override;
  void ApplyCaption() override;
  void ApplyColor() override;
  void ApplyFont() override;
  void ApplyAccessibility() override;

 private:
  void ApplyEditState();
  TsSkinData skinData_{"EDIT"};
  int maxLength_ = 0;
  bool readOnly_ = true;
  bool applying_ = false;
};
