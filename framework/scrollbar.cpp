#include <QScrollBar>
#include <algorithm>

#include "framework/exception_report.h"
#include "framework/layout_value.h"
#include "framework/stdctrls.h"

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner) {
  width_ = 121;
  height_ = 17;
  SetTabStop(true);
}

QWidget* TScrollBar::CreateWidget(QWidget* parent) {
  auto* bar = new QScrollBar(kind_ == TScrollBarKind::sbHorizontal ? Qt::Horizontal : Qt::Vertical, parent);
  QObject::connect(bar, &QScrollBar::valueChanged, SignalContext(), [this](int value) { ValueChanged(value); });
  return bar;
}

void TScrollBar::InitializeWidget() {
  TWinControl::InitializeWidget();
  ApplyRange();
}

void TScrollBar::SetKind(TScrollBarKind kind) {
  if (kind == kind_) return;
  kind_ = kind;
  std::swap(width_, height_);
  if (auto* bar = qobject_cast<QScrollBar*>(widget_.data()))
    bar->setOrientation(kind_ == TScrollBarKind::sbHorizontal ? Qt::Horizontal : Qt::Vertical);
  if (widget_) ApplyBounds();
}

void TScrollBar::SetParams(int position, int min, int max) {
  max = std::max(min, max);
  position = std::clamp(position, min, max);
  const bool moved = position != position_;
  min_ = min;
  max_ = max;
  position_ = position;
  ApplyRange();
  if (moved && OnChange) OnChange(this);
}

void TScrollBar::SetSmallChange(int value) {
  smallChange_ = std::max(value, 1);
  ApplyRange();
}

void TScrollBar::SetLargeChange(int value) {
  largeChange_ = std::max(value, 1);
  ApplyRange();
}

void TScrollBar::ApplyRange() {
  auto* bar = qobject_cast<QScrollBar*>(widget_.data());
  if (!bar) return;
  applying_ = true;
  bar->setRange(min_, max_);
  bar->setValue(position_);
  bar->setSingleStep(smallChange_);
  bar->setPageStep(largeChange_);
  applying_ = false;
}

void TScrollBar::ValueChanged(int value) {
  if (applying_ || value == position_) return;
  position_ = value;
  Guarded(this, [this] {
    if (OnChange) OnChange(this);
  });
}

void TScrollBar::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  static const std::pair<const char*, TScrollBarKind> kinds[] = {{"sbHorizontal", TScrollBarKind::sbHorizontal},
                                                                 {"sbVertical", TScrollBarKind::sbVertical}};
  if (name == "Kind") {
    SetKind(value.Enum(kinds));
  } else if (name == "Min") {
    SetMin(value.Int());
  } else if (name == "Max") {
    SetMax(value.Int());
  } else if (name == "Position") {
    SetPosition(value.Int());
  } else if (name == "SmallChange") {
    SetSmallChange(value.Int());
  } else if (name == "LargeChange") {
    SetLargeChange(value.Int());
  } else if (name == "OnChange") {
    OnChange = value.Handler<TNotifyEvent>(Name() + ".OnChange");
  } else {
    TWinControl::SetLayoutProperty(name, value);
  }
}
