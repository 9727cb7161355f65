#include <QFontMetrics>
#include <QLabel>
#include <QRegularExpression>
#include <algorithm>

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

namespace {

QStringList Lines(const AnsiString& text) {
  return QString::fromLocal8Bit(StringReplaceAll(text, "\r\n", "\n").c_str()).split(QRegularExpression("[\r\n]"));
}

}  // namespace

int TLabel::TextWidth() const {
  const QFontMetrics metrics(font_.ToQFont());
  int width = 0;
  for (const QString& line : Lines(caption_)) width = std::max(width, metrics.horizontalAdvance(line));
  return width;
}

// A text of several lines gets the height of all of them; one line keeps the label's height.
void TLabel::AdjustBounds() {
  if (!autoSize_ || Loading()) return;
  const int lines = static_cast<int>(Lines(caption_).size());
  const int height = lines > 1 ? lines * QFontMetrics(font_.ToQFont()).lineSpacing() : height_;
  SetBounds(left_, top_, TextWidth(), height);
}

void TLabel::Loaded() {
  TControl::Loaded();
  AdjustBounds();
  ApplyFocusControl();
}

TWinControl* TLabel::FocusControl() const {
  if (focusControl_.empty() || !Owner()) return nullptr;
  return dynamic_cast<TWinControl*>(Owner()->FindComponent(focusControl_));
}

void TLabel::SetFocusControl(TWinControl* control) {
  focusControl_ = control ? control->Name() : AnsiString();
  ApplyFocusControl();
}

QWidget* TLabel::CreateWidget(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(false);
  return label;
}

void TLabel::InitializeWidget() {
  TControl::InitializeWidget();
  ApplyFocusControl();
}

// Qt's accessibility finds a control's label through the label's buddy. The control's window is
// made now if it is not yet, as the label may come before it in its parent's order.
void TLabel::ApplyFocusControl() {
  auto* label = qobject_cast<QLabel*>(widget_.data());
  if (!label || Loading()) return;
  TWinControl* control = FocusControl();
  if (control && control->Parent()) control->HandleNeeded();
  label->setBuddy(control ? control->Widget() : nullptr);
}

void TLabel::ApplyCaption() {
  if (auto* label = qobject_cast<QLabel*>(widget_.data())) label->setText(Lines(caption_).join('\n'));
  ApplyAlignment();
}

void TLabel::ApplyAlignment() {
  auto* label = qobject_cast<QLabel*>(widget_.data());
  if (!label) return;
  Qt::Alignment alignment = alignment_ == TAlignment::taRightJustify ? Qt::AlignRight
                            : alignment_ == TAlignment::taCenter     ? Qt::AlignHCenter
                                                                     : Qt::AlignLeft;
  alignment |= layout_ == TTextLayout::tlCenter   ? Qt::AlignVCenter
               : layout_ == TTextLayout::tlBottom ? Qt::AlignBottom
                                                  : Qt::AlignTop;
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
  } else if (name == "FocusControl") {
    focusControl_ = value.Ident();
  } else {
    TControl::SetLayoutProperty(name, value);
  }
}
