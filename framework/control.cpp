#include <QGuiApplication>
#include <algorithm>

#include "framework/controls.h"
#include "framework/exception_report.h"
#include "framework/layout_value.h"

namespace {

const std::pair<const char*, TColor> kColorNames[] = {
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clNavy", clNavy},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clBlue", clBlue},
    {"clWhite", clWhite},
    {"clNone", clNone},
    {"clDefault", clDefault},
    {"clWindow", clWindow},
    {"clWindowText", clWindowText},
    {"clBtnFace", clBtnFace},
    {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText},
    {"clBtnShadow", clBtnShadow},
    {"clGrayText", clGrayText},
    {"clBtnText", clBtnText},
    {"clBtnHighlight", clBtnHighlight},
    {"clInfoText", clInfoText},
    {"clInfoBk", clInfoBk},
};

const std::pair<const char*, int> kFontStyles[] = {
    {"fsBold", static_cast<int>(TFontStyle::fsBold)},
    {"fsItalic", static_cast<int>(TFontStyle::fsItalic)},
    {"fsUnderline", static_cast<int>(TFontStyle::fsUnderline)},
    {"fsStrikeOut", static_cast<int>(TFontStyle::fsStrikeOut)},
};

}  // namespace

TColor LayoutColor(const TLayoutValue& value) {
  if (value.kind == TLayoutValue::Kind::Integer) return static_cast<TColor>(value.integer);
  return value.Enum(kColorNames);
}

TAlignment LayoutAlignment(const TLayoutValue& value) {
  static const std::pair<const char*, TAlignment> names[] = {
      {"taLeftJustify", TAlignment::taLeftJustify},
      {"taRightJustify", TAlignment::taRightJustify},
      {"taCenter", TAlignment::taCenter},
  };
  return value.Enum(names);
}

TShiftState KeyboardShiftState() {
  const Qt::KeyboardModifiers modifiers = QGuiApplication::queryKeyboardModifiers();
  TShiftState shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= ssShift;
  if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
  if (modifiers & Qt::AltModifier) shift |= ssAlt;
  return shift;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
  TShiftState shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
  if (keyData & 0x20000000) shift |= ssAlt;
  return shift;
}

TControl::TControl(TComponent* owner) : TComponent(owner), signalContext_(std::make_unique<QObject>()) {
  WindowProc = [this](TMessage& message) { WndProc(message); };
}

TControl::~TControl() {
  if (parent_) parent_->RemoveControl(this);
  DestroyGraphicWidget();
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EInvalidOperation("A control cannot be its own parent");
  if (parent_) parent_->RemoveControl(this);
  parent_ = parent;
  if (!parent_) {
    DestroyGraphicWidget();
    return;
  }
  parent_->InsertControl(this);
  if (parentColor_) color_ = parent_->Color();
  if (parentFont_) font_ = parent_->Font();
  if (widget_) {
    widget_->setParent(parent_->Widget());
    InitializeWidget();
  } else if (parent_->Widget()) {
    CreateGraphicWidget();
  }
}

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* control = dynamic_cast<TWinControl*>(parent)) SetParent(control);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (widget_) ApplyBounds();
}

void TControl::UpdateBoundsFields(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  ApplyVisible();
  Perform(CM_VISIBLECHANGED, visible ? 1 : 0, 0);
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor color) {
  parentColor_ = false;
  if (color == color_) return;
  color_ = color;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool value) {
  if (value == parentColor_) return;
  parentColor_ = value;
  if (value && parent_) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetFont(const TFont& font) {
  parentFont_ = false;
  if (font == font_) return;
  font_ = font;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool value) {
  if (value == parentFont_) return;
  parentFont_ = value;
  if (value && parent_) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetCaption(const AnsiString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetHint(const AnsiString& hint) {
  hint_ = hint;
  if (widget_) ApplyHint();
}

void TControl::SetShowHint(bool value) {
  showHint_ = value;
  if (widget_) ApplyHint();
}

void TControl::SetAccessibleName(const AnsiString& name) {
  accessibleName_ = name;
  if (widget_) ApplyAccessibility();
}

void TControl::SetAccessibleDescription(const AnsiString& description) {
  accessibleDescription_ = description;
  if (widget_) ApplyAccessibility();
}

LRESULT TControl::Perform(UINT message, WPARAM wParam, LPARAM lParam) {
  TMessage m{message, wParam, lParam, 0};
  WindowProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& message) { Dispatch(message); }

void TControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_ENABLEDCHANGED: CMEnabledChanged(message); break;
    case CM_COLORCHANGED: CMColorChanged(message); break;
    case CM_FONTCHANGED: CMFontChanged(message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(message); break;
    case CM_TEXTCHANGED: CMTextChanged(message); break;
    default: DefaultHandler(message); break;
  }
}

void TControl::DefaultHandler(TMessage& message) { message.Result = 0; }

void TControl::CMEnabledChanged(TMessage&) {
  if (widget_) ApplyEnabled();
}
void TControl::CMColorChanged(TMessage&) {
  if (widget_) ApplyColor();
}
void TControl::CMFontChanged(TMessage&) {
  if (widget_) ApplyFont();
}
void TControl::CMParentColorChanged(TMessage&) {
  if (!parentColor_ || !parent_) return;
  color_ = parent_->Color();
  Perform(CM_COLORCHANGED, 0, 0);
  parentColor_ = true;
}
void TControl::CMParentFontChanged(TMessage&) {
  if (!parentFont_ || !parent_) return;
  font_ = parent_->Font();
  Perform(CM_FONTCHANGED, 0, 0);
  parentFont_ = true;
}
void TControl::CMVisibleChanged(TMessage&) {}
void TControl::CMTextChanged(TMessage&) {
  if (widget_) ApplyCaption();
}

void TControl::Invalidate() {
  if (widget_) widget_->update();
}

void TControl::Repaint() {
  if (widget_ && widget_->isVisible()) widget_->repaint();
}

void TControl::BringToFront() {
  if (widget_) widget_->raise();
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

bool TControl::PaletteChanged(bool) { return false; }

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

QWidget* TControl::CreateWidget(QWidget* parent) { return new QWidget(parent); }

void TControl::CreateGraphicWidget() {
  if (widget_ || IsWindowed() || !parent_ || !parent_->Widget()) return;
  widget_ = CreateWidget(parent_->Widget());  // owned by the parent's widget
  InitializeWidget();
}

void TControl::DestroyGraphicWidget() {
  if (IsWindowed() || !widget_) return;
  QWidget* widget = widget_.data();
  widget_ = nullptr;
  widget->hide();
  widget->deleteLater();  // it may be inside one of its own events
}

void TControl::InitializeWidget() {
  ApplyBounds();
  ApplyEnabled();
  ApplyColor();
  ApplyFont();
  ApplyCaption();
  ApplyHint();
  ApplyAccessibility();
  ApplyVisible();
}

void TControl::ApplyBounds() {
  if (widget_) widget_->setGeometry(left_, top_, std::max(width_, 0), std::max(height_, 0));
}

void TControl::ApplyVisible() {
  if (widget_) widget_->setVisible(visible_);
}

void TControl::ApplyEnabled() {
  if (widget_) widget_->setEnabled(enabled_);
}

void TControl::ApplyColor() {
  if (!widget_) return;
  QPalette palette = widget_->palette();
  palette.setColor(QPalette::Window, ToQColor(color_));
  widget_->setPalette(palette);
}

void TControl::ApplyFont() {
  if (!widget_) return;
  widget_->setFont(font_.ToQFont());
  QPalette palette = widget_->palette();
  const QColor text = ToQColor(font_.Color);
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::WindowText, text);
    palette.setColor(group, QPalette::Text, text);
    palette.setColor(group, QPalette::ButtonText, text);
  }
  widget_->setPalette(palette);
}

void TControl::ApplyHint() {
  if (widget_) widget_->setToolTip(showHint_ ? QString::fromLocal8Bit(hint_.c_str()) : QString());
}

void TControl::ApplyAccessibility() {
  if (!widget_) return;
  widget_->setAccessibleName(QString::fromLocal8Bit(accessibleName_.c_str()));
  widget_->setAccessibleDescription(QString::fromLocal8Bit(accessibleDescription_.c_str()));
}

void TControl::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  if (name == "Left") {
    SetLeft(value.Int());
  } else if (name == "Top") {
    SetTop(value.Int());
  } else if (name == "Width") {
    SetWidth(value.Int());
  } else if (name == "Height") {
    SetHeight(value.Int());
  } else if (name == "Bounds") {
    const auto items = value.Items();
    if (items.size() != 4) value.Fail("Bounds takes left, top, width, height");
    SetBounds(items[0].Int(), items[1].Int(), items[2].Int(), items[3].Int());
  } else if (name == "ClientSize") {
    const auto items = value.Items();
    if (items.size() != 2) value.Fail("ClientSize takes width, height");
    SetClientSize(items[0].Int(), items[1].Int());
  } else if (name == "Visible") {
    SetVisible(value.Bool());
  } else if (name == "Enabled") {
    SetEnabled(value.Bool());
  } else if (name == "Color") {
    SetColor(LayoutColor(value));
  } else if (name == "ParentColor") {
    SetParentColor(value.Bool());
  } else if (name == "ParentFont") {
    SetParentFont(value.Bool());
  } else if (name.rfind("Font.", 0) == 0) {
    TFont font = font_;
    const AnsiString part = name.substr(5);
    if (part == "Name") {
      font.Name = value.Str();
    } else if (part == "Height") {
      font.Height = value.Int();
    } else if (part == "Size") {
      font.SetSize(value.Int());
    } else if (part == "Color") {
      font.Color = LayoutColor(value);
    } else if (part == "Charset") {
      font.Charset = value.kind == TLayoutValue::Kind::Identifier && value.Ident() == "DEFAULT_CHARSET"
                         ? DEFAULT_CHARSET
                         : value.Int();
    } else if (part == "Style") {
      font.Style = 0;
      if (value.kind != TLayoutValue::Kind::Identifier || value.Ident() != "none")
        for (const TLayoutValue& item : value.Items()) font.Style |= item.Enum(kFontStyles);
    } else {
      value.Fail("Property " + name + " does not exist in " + ClassName());
    }
    SetFont(font);
  } else if (name == "Caption") {
    SetCaption(value.Str());
  } else if (name == "Hint") {
    SetHint(value.Str());
  } else if (name == "ShowHint") {
    SetShowHint(value.Bool());
  } else if (name == "AccessibleName") {
    SetAccessibleName(value.Str());
  } else if (name == "AccessibleDescription") {
    SetAccessibleDescription(value.Str());
  } else if (name == "OnClick") {
    OnClick = value.Handler<TNotifyEvent>(Name() + ".OnClick");
  } else if (name == "OnDblClick") {
    OnDblClick = value.Handler<TNotifyEvent>(Name() + ".OnDblClick");
  } else {
    TComponent::SetLayoutProperty(name, value);
  }
}
