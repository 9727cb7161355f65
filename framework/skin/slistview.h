// TsListView: a skinned list of rows (report view) with columns; each row has a caption and the
// texts of the further columns (SubItems).
#pragma once

#include <memory>
#include <vector>

#include "framework/controls.h"
#include "framework/skin/skin_data.h"

class TsListView;
class TListItems;

class TListItem {
 public:
  TListItem(TListItems& owner) : owner_(owner) {}
  TListItem(const TListItem&) = delete;
  TListItem& operator=(const TListItem&) = delete;

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& caption);
  const std::vector<AnsiString>& SubItems() const { return subItems_; }
  // EListError "List index out of bounds (%d)" outside the sub-items.
  const AnsiString& SubItem(int index) const;
  void SetSubItem(int index, const AnsiString& text);
  void AddSubItem(const AnsiString& text);
  int Index() const;
  bool Selected() const;

 private:
  TListItems& owner_;
  AnsiString caption_;
  std::vector<AnsiString> subItems_;
};

class TListItems {
 public:
  explicit TListItems(TsListView& view) : view_(view) {}
  TListItems(const TListItems&) = delete;
  TListItems& operator=(const TListItems&) = delete;

  TListItem* Add();
  // A new row before the row at index (at the end for Count()); EListError outside that range.
  TListItem* Insert(int index);
  int Count() const { return static_cast<int>(items_.size()); }
  // EListError "List index out of bounds (%d)" outside the list.
  TListItem* Item(int index) const;
  void Delete(int index);
  void Clear();
  int IndexOf(const TListItem* item) const;

 private:
  friend class TListItem;
  friend class TsListView;
  void Changed(const TListItem* item);
  TsListView& view_;
  std::vector<std::unique_ptr<TListItem>> items_;
};

struct TListColumn {
  AnsiString Caption;
  int Width = 50;
};

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

class TsListView : public TWinControl {
 public:
  explicit TsListView(TComponent* owner);
  ~TsListView() override;

  TsSkinData& SkinData() { return skinData_; }
  TListItems& Items() { return *items_; }
  const std::vector<TListColumn>& Columns() const { return columns_; }
  void SetColumns(const std::vector<TListColumn>& columns);
  TListItem* Selected() const;
  void SetSelected(TListItem* item);
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);

  TViewStyle ViewStyle() const { return viewStyle_; }
  void SetViewStyle(TViewStyle style) { viewStyle_ = style; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool value);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool value);
  bool ColumnClick() const { return columnClick_; }
  void SetColumnClick(bool value);
  bool MultiSelect() const { return false; }

  TNotifyEvent OnChange;  // the selection moved

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  void InitializeWidget() override;
  void ApplyColor() override;
  void ApplyFont() override;

 private:
  friend class TListItems;
  void ApplyColumns();
  void ApplyRows();
  void ApplyRow(int index);
  void ApplySelection();
  void ApplyOptions();
  void RowsRemoved();

  TsSkinData skinData_{"EDIT"};
  std::unique_ptr<TListItems> items_;
  std::vector<TListColumn> columns_;
  int itemIndex_ = -1;
  TViewStyle viewStyle_ = TViewStyle::vsIcon;
  bool readOnly_ = false;
  bool rowSelect_ = false;
  bool hideSelection_ = true;
  bool columnClick_ = true;
  bool applying_ = false;
};
