#include "framework/skin/slistview.h"

#include <QHeaderView>
#include <QTreeWidget>

#include "framework/exception_report.h"
#include "framework/layout_value.h"

namespace {
QString Text(const AnsiString& text) { return QString::fromLocal8Bit(text.c_str()); }
[[noreturn]] void OutOfBounds(int index) { throw EListError(Format("List index out of bounds (%d)", index)); }
}  // namespace

void TListItem::SetCaption(const AnsiString& caption) {
  caption_ = caption;
  owner_.Changed(this);
}

const AnsiString& TListItem::SubItem(int index) const {
  if (index < 0 || index >= static_cast<int>(subItems_.size())) OutOfBounds(index);
  return subItems_[static_cast<std::size_t>(index)];
}

void TListItem::SetSubItem(int index, const AnsiString& text) {
  if (index < 0 || index >= static_cast<int>(subItems_.size())) OutOfBounds(index);
  subItems_[static_cast<std::size_t>(index)] = text;
  owner_.Changed(this);
}

void TListItem::AddSubItem(const AnsiString& text) {
  subItems_.push_back(text);
  owner_.Changed(this);
}

int TListItem::Index() const { return owner_.IndexOf(this); }

bool TListItem::Selected() const { return owner_.view_.Selected() == this; }

TListItem* TListItems::Add() {
  items_.push_back(std::make_unique<TListItem>(*this));
  view_.ApplyRows();
  return items_.back().get();
}

TListItem* TListItems::Insert(int index) {
  if (index < 0 || index > Count()) OutOfBounds(index);
  items_.insert(items_.begin() + index, std::make_unique<TListItem>(*this));
  if (view_.itemIndex_ >= index) ++view_.itemIndex_;
  view_.ApplyRows();
  return items_[static_cast<std::size_t>(index)].get();
}

TListItem* TListItems::Item(int index) const {
  if (index < 0 || index >= Count()) OutOfBounds(index);
  return items_[static_cast<std::size_t>(index)].get();
}

void TListItems::Delete(int index) {
  if (index < 0 || index >= Count()) OutOfBounds(index);
  items_.erase(items_.begin() + index);
  if (view_.itemIndex_ == index)
    view_.itemIndex_ = -1;
  else if (view_.itemIndex_ > index)
    --view_.itemIndex_;
  view_.RowsRemoved();
}

void TListItems::Clear() {
  items_.clear();
  view_.itemIndex_ = -1;
  view_.RowsRemoved();
}

int TListItems::IndexOf(const TListItem* item) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == item) return static_cast<int>(i);
  return -1;
}

void TListItems::Changed(const TListItem* item) {
  const int index = IndexOf(item);
  if (index >= 0) view_.ApplyRow(index);
}

TsListView::TsListView(TComponent* owner) : TWinControl(owner), items_(std::make_unique<TListItems>(*this)) {
  width_ = 250;
  height_ = 150;
  color_ = clWindow;
  parentColor_ = false;
  SetTabStop(true);
}

TsListView::~TsListView() { DestroyHandle(); }

QWidget* TsListView::CreateWidget(QWidget* parent) {
  auto* tree = new QTreeWidget(parent);
  tree->setRootIsDecorated(false);
  tree->setItemsExpandable(false);
  tree->setUniformRowHeights(true);
  tree->setAllColumnsShowFocus(true);
  tree->setSelectionMode(QAbstractItemView::SingleSelection);
  tree->setSortingEnabled(false);
  tree->header()->setStretchLastSection(false);
  tree->header()->setSectionsMovable(false);
  QObject::connect(tree, &QTreeWidget::itemSelectionChanged, SignalContext(), [this, tree] {
    if (applying_) return;
    const QList<QTreeWidgetItem*> selected = tree->selectedItems();
    itemIndex_ = selected.isEmpty() ? -1 : tree->indexOfTopLevelItem(selected.front());
    Guarded(this, [this] {
      if (OnChange) OnChange(this);
    });
  });
  return tree;
}

void TsListView::InitializeWidget() {
  TWinControl::InitializeWidget();
  ApplyOptions();
  ApplyColumns();
  ApplyRows();
}

void TsListView::ApplyOptions() {
  auto* tree = qobject_cast<QTreeWidget*>(widget_.data());
  if (!tree) return;
  tree->setEditTriggers(QAbstractItemView::NoEditTriggers);  // captions are never edited in place
  tree->setSelectionBehavior(rowSelect_ ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
  tree->header()->setSectionsClickable(columnClick_);
  tree->header()->setHighlightSections(false);
  ApplyColor();
}

void TsListView::ApplyColumns() {
  auto* tree = qobject_cast<QTreeWidget*>(widget_.data());
  if (!tree) return;
  tree->setColumnCount(static_cast<int>(std::max<std::size_t>(columns_.size(), 1)));
  QStringList labels;
  for (const TListColumn& column : columns_) labels << Text(column.Caption);
  tree->setHeaderLabels(labels);
  for (std::size_t i = 0; i < columns_.size(); ++i) tree->setColumnWidth(static_cast<int>(i), columns_[i].Width);
}

void TsListView::ApplyRows() {
  auto* tree = qobject_cast<QTreeWidget*>(widget_.data());
  if (!tree) return;
  applying_ = true;
  while (tree->topLevelItemCount() < items_->Count()) tree->addTopLevelItem(new QTreeWidgetItem);
  while (tree->topLevelItemCount() > items_->Count())
    std::unique_ptr<QTreeWidgetItem>(tree->takeTopLevelItem(tree->topLevelItemCount() - 1));
  applying_ = false;
  for (int i = 0; i < items_->Count(); ++i) ApplyRow(i);
  ApplySelection();
}

void TsListView::ApplyRow(int index) {
  auto* tree = qobject_cast<QTreeWidget*>(widget_.data());
  if (!tree || index >= tree->topLevelItemCount()) return;
  QTreeWidgetItem* row = tree->topLevelItem(index);
  const TListItem* item = items_->Item(index);
  row->setText(0, Text(item->Caption()));
  for (std::size_t i = 0; i < item->SubItems().size(); ++i)
    row->setText(static_cast<int>(i + 1), Text(item->SubItems()[i]));
}

void TsListView::RowsRemoved() {
  auto* tree = qobject_cast<QTreeWidget*>(widget_.data());
  if (!tree) return;
  applying_ = true;
  tree->clear();
  applying_ = false;
  ApplyRows();
}

void TsListView::ApplySelection() {
  auto* tree = qobject_cast<QTreeWidget*>(widget_.data());
  if (!tree) return;
  applying_ = true;
  tree->clearSelection();
  if (itemIndex_ >= 0 && itemIndex_ < tree->topLevelItemCount()) {
    tree->setCurrentItem(tree->topLevelItem(itemIndex_));
    tree->topLevelItem(itemIndex_)->setSelected(true);
  }
  applying_ = false;
}

void TsListView::ApplyColor() {
  TWinControl::ApplyColor();
  if (!widget_) return;
  QPalette palette = widget_->palette();
  palette.setColor(QPalette::Base, ToQColor(color_));
  if (!hideSelection_) {
    // the selection looks the same whether or not the list has the focus
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
  }
  widget_->setPalette(palette);
}

void TsListView::ApplyFont() {
  TWinControl::ApplyFont();
  ApplyColor();
}

void TsListView::SetColumns(const std::vector<TListColumn>& columns) {
  columns_ = columns;
  ApplyColumns();
}

TListItem* TsListView::Selected() const {
  return itemIndex_ >= 0 && itemIndex_ < items_->Count() ? items_->Item(itemIndex_) : nullptr;
}

void TsListView::SetSelected(TListItem* item) { SetItemIndex(item ? items_->IndexOf(item) : -1); }

void TsListView::SetItemIndex(int index) {
  itemIndex_ = index >= 0 && index < items_->Count() ? index : -1;
  ApplySelection();
}

void TsListView::SetRowSelect(bool value) {
  rowSelect_ = value;
  ApplyOptions();
}

void TsListView::SetHideSelection(bool value) {
  hideSelection_ = value;
  ApplyColor();
}

void TsListView::SetColumnClick(bool value) {
  columnClick_ = value;
  ApplyOptions();
}

void TsListView::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  static const std::pair<const char*, TViewStyle> styles[] = {{"vsIcon", TViewStyle::vsIcon},
                                                              {"vsSmallIcon", TViewStyle::vsSmallIcon},
                                                              {"vsList", TViewStyle::vsList},
                                                              {"vsReport", TViewStyle::vsReport}};
  if (SetSkinDataProperty(skinData_, name, value)) return;
  if (name == "Columns") {
    // caption, width pairs
    const std::vector<TLayoutValue> items = value.Items();
    if (items.size() % 2 != 0) value.Fail("Columns takes pairs of caption and width");
    std::vector<TListColumn> columns;
    for (std::size_t i = 0; i < items.size(); i += 2) columns.push_back({items[i].Str(), items[i + 1].Int()});
    SetColumns(columns);
  } else if (name == "ViewStyle") {
    SetViewStyle(value.Enum(styles));
  } else if (name == "ReadOnly") {
    SetReadOnly(value.Bool());
  } else if (name == "RowSelect") {
    SetRowSelect(value.Bool());
  } else if (name == "HideSelection") {
    SetHideSelection(value.Bool());
  } else if (name == "ColumnClick") {
    SetColumnClick(value.Bool());
  } else if (name == "OnChange") {
    OnChange = value.Handler<TNotifyEvent>(Name() + ".OnChange");
  } else {
    TWinControl::SetLayoutProperty(name, value);
  }
}
