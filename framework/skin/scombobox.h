// TsComboBox: a skinned drop-down list with its own window.
#pragma once

#include <vector>

#include "framework/controls.h"
#include "framework/skin/skin_data.h"

enum class TComboBoxStyle { csDropDown, csDropDownList };

class TsComboBox : public TWinControl {
 public:
  explicit TsComboBox(TComponent* owner);

  TsSkinData& SkinData() { return skinData_; }
  const std::vector<AnsiString>& Items() const { return items_; }
  void SetItems(const std::vector<AnsiString>& items);
  void AddItem(const AnsiString& item);
  // -1 when nothing is selected; a value outside the items selects nothing.
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);
  AnsiString Text() const;
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle style);
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int height);

  TNotifyEvent OnChange;  // the user chose another item

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  void InitializeWidget() override;
  void ApplyColor() override;

 private:
  void ApplyItems();
  TsSkinData skinData_{"COMBOBOX"};
  std::vector<AnsiString> items_;
  int itemIndex_ = -1;
  TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
  int itemHeight_ = 13;
  bool applying_ = false;
};
