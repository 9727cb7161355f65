#include "framework/skin/scombobox.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QStyledItemDelegate>

#include "framework/exception_report.h"
#include "framework/layout_value.h"

namespace {

// Rows of the drop-down list at the combo box's item height.
class ItemHeightDelegate final : public QStyledItemDelegate {
 public:
  ItemHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(height_, option.fontMetrics.height()));
    return size;
  }

 private:
  int height_;
};

}  // namespace

TsComboBox::TsComboBox(TComponent* owner) : TWinControl(owner) {
  width_ = 145;
  height_ = 21;
  color_ = clWindow;
  parentColor_ = false;
  SetTabStop(true);
}

QWidget* TsComboBox::CreateWidget(QWidget* parent) {
  auto* combo = new QComboBox(parent);
  QObject::connect(combo, qOverload<int>(&QComboBox::activated), SignalContext(), [this](int index) {
    Guarded(this, [this, index] {
      itemIndex_ = index;
      if (OnChange) OnChange(this);
    });
  });
  QObject::connect(combo, qOverload<int>(&QComboBox::currentIndexChanged), SignalContext(), [this](int index) {
    if (!applying_) itemIndex_ = index;
  });
  return combo;
}

void TsComboBox::InitializeWidget() {
  TWinControl::InitializeWidget();
  if (auto* combo = qobject_cast<QComboBox*>(widget_.data())) {
    combo->setEditable(style_ == TComboBoxStyle::csDropDown);
    combo->setItemDelegate(new ItemHeightDelegate(itemHeight_, combo));
  }
  ApplyItems();
}

void TsComboBox::ApplyColor() {
  TWinControl::ApplyColor();
  if (!widget_) return;
  QPalette palette = widget_->palette();
  palette.setColor(QPalette::Base, ToQColor(color_));
  palette.setColor(QPalette::Button, ToQColor(color_));
  widget_->setPalette(palette);
}

void TsComboBox::ApplyItems() {
  auto* combo = qobject_cast<QComboBox*>(widget_.data());
  if (!combo) return;
  applying_ = true;
  combo->clear();
  for (const AnsiString& item : items_) combo->addItem(QString::fromLocal8Bit(item.c_str()));
  combo->setCurrentIndex(itemIndex_);
  applying_ = false;
}

void TsComboBox::SetItems(const std::vector<AnsiString>& items) {
  items_ = items;
  if (itemIndex_ >= static_cast<int>(items_.size())) itemIndex_ = -1;
  ApplyItems();
}

void TsComboBox::AddItem(const AnsiString& item) {
  items_.push_back(item);
  ApplyItems();
}

void TsComboBox::SetItemIndex(int index) {
  itemIndex_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
  if (auto* combo = qobject_cast<QComboBox*>(widget_.data())) {
    applying_ = true;
    combo->setCurrentIndex(itemIndex_);
    applying_ = false;
  }
}

AnsiString TsComboBox::Text() const {
  return itemIndex_ >= 0 ? items_[static_cast<std::size_t>(itemIndex_)] : AnsiString();
}

void TsComboBox::SetStyle(TComboBoxStyle style) {
  style_ = style;
  if (auto* combo = qobject_cast<QComboBox*>(widget_.data())) combo->setEditable(style == TComboBoxStyle::csDropDown);
}

void TsComboBox::SetItemHeight(int height) {
  itemHeight_ = height;
  if (auto* combo = qobject_cast<QComboBox*>(widget_.data()))
    combo->setItemDelegate(new ItemHeightDelegate(height, combo));
}

void TsComboBox::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  static const std::pair<const char*, TComboBoxStyle> styles[] = {{"csDropDown", TComboBoxStyle::csDropDown},
                                                                  {"csDropDownList", TComboBoxStyle::csDropDownList}};
  if (SetSkinDataProperty(skinData_, name, value)) return;
  if (name == "Items") {
    SetItems(value.Strings());
  } else if (name == "ItemIndex") {
    SetItemIndex(value.Int());
  } else if (name == "Style") {
    SetStyle(value.Enum(styles));
  } else if (name == "ItemHeight") {
    SetItemHeight(value.Int());
  } else if (name == "OnChange") {
    OnChange = value.Handler<TNotifyEvent>(Name() + ".OnChange");
  } else {
    TWinControl::SetLayoutProperty(name, value);
  }
}
