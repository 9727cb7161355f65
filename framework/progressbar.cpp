#include <QProgressBar>
#include <algorithm>

#include "framework/comctrls.h"
#include "framework/layout_value.h"

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
  width_ = 150;
  height_ = 16;
}

QWidget* TProgressBar::CreateWidget(QWidget* parent) {
  auto* bar = new QProgressBar(parent);
  bar->setTextVisible(false);
  return bar;
}

void TProgressBar::InitializeWidget() {
  TWinControl::InitializeWidget();
  ApplyRange();
}

void TProgressBar::SetMin(int value) {
  min_ = value;
  position_ = std::max(position_, min_);
  ApplyRange();
}

void TProgressBar::SetMax(int value) {
  max_ = value;
  position_ = std::min(position_, max_);
  ApplyRange();
}

void TProgressBar::SetPosition(int value) {
  position_ = std::clamp(value, min_, std::max(min_, max_));
  ApplyRange();
}

void TProgressBar::ApplyRange() {
  if (auto* bar = qobject_cast<QProgressBar*>(widget_.data())) {
    bar->setRange(min_, max_);
    bar->setValue(position_);
  }
}

void TProgressBar::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  if (name == "Min") {
    SetMin(value.Int());
  } else if (name == "Max") {
    SetMax(value.Int());
  } else if (name == "Position") {
    SetPosition(value.Int());
  } else {
    TWinControl::SetLayoutProperty(name, value);
  }
}
