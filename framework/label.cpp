#include <QFontMetrics>
#include <QLabel>

#include "framework/layout_value.h"
#include "framework/stdctrls.h"

TLabel::TLabel(TComponent* owner) : TControl(owner) {
  width_ = 65;
  height_ = 13;
}

void TLabel::SetAutoSize(bool value) {
  autoSize_ = value;
  AdjustBounds();
}

void TLabel::SetAlignment(TAlignment value) {
  alignment_ = value;
  ApplyAlignment();
}

void TLabel::SetLayout(TTextLayout value) {
  layout_ = value;
  ApplyAlignment();
}

void TLabel::SetTransparent(bool value) {
  transparent_ = value;
  ApplyColor();
}

int TLabel::TextWidth() const {
  return QFontMetrics(font_.ToQFont()).horizontalAdvance(QString::fromLocal8Bit(caption_.c_str()));
}

void TLabel::AdjustBounds() {
  if (!autoSize_ || Loading()) return;
  SetBounds(left_, top_, TextWidth(), height_);
}

void TLabel::Loaded() {
  TControl::Loaded();
  AdjustBounds();
}

QWidget* TLabel::CreateWidget(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(false);
  return label;
}

void TLabel::ApplyCaption() {
  if (auto* label = qobject_cast<QLabel*>(widget_.data())) label->setText(QString::fromLocal8Bit(caption_.c_str()));
  ApplyAlignment();
}

void TLabel::ApplyAlignment() {
  auto* label = qobject_cast<QLabel*>(widget_.data());
  if (!label) return;
  Qt::Alignment alignment = alignment_ == TAlignment::taRightJustify ? Qt::AlignRight
                            : alignment_ == TAlignment::taCenter     ? Qt::AlignHCenter
                                                                     : Qt::AlignLeft;
  alignment |= layout_ == TTextLayout::tlCenter ? Qt::AlignVCenter : layout_ == TTextLayout::tlBottom ? Qt::AlignBottom : Qt::AlignTop;
  label->setAlignment(alignment);
}

void TLabel::ApplyColor() {
  if (!widget_) return;
  TControl::ApplyColor();
  widget_->setAutoFillBackground(!transparent_);
}

void TLabel::CMTextChanged(TMessage& message) {
  TControl::CMTextChanged(message);
  AdjustBounds();
}

void TLabel::CMFontChanged(TMessage& message) {
  TControl::CMFontChanged(message);
  AdjustBounds();
}

void TLabel::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  static const std::pair<const char*, TTextLayout> layouts[] = {
      {"tlTop", TTextLayout::tlTop}, {"tlCenter", TTextLayout::tlCenter}, {"tlBottom", TTextLayout::tlBottom}};
  if (name == "AutoSize") {
    SetAutoSize(value.Bool());
  } else if (name == "Alignment") {
    SetAlignment(LayoutAlignment(value));
  } else if (name == "Layout") {
    SetLayout(value.Enum(layouts));
  } else if (name == "Transparent") {
    SetTransparent(value.Bool());
  } else {
    TControl::SetLayoutProperty(name, value);
  }
}
