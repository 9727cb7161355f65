#include "framework/skin/strackbar.h"

#include <QKeyEvent>
#include <QSlider>
#include <algorithm>

#include "framework/exception_report.h"
#include "framework/layout_value.h"

namespace {

// A focused track bar keeps the keys that move it, even where its form gives them to a shortcut.
class TrackBarSlider final : public QSlider {
 public:
  using QSlider::QSlider;

 protected:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride) {
      auto* key = static_cast<QKeyEvent*>(event);
      const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
      if (modifiers == Qt::NoModifier && MovesTheThumb(key->key())) {
        key->accept();
        return true;
      }
    }
    return QSlider::event(event);
  }

 private:
  static bool MovesTheThumb(int key) {
    switch (key) {
      case Qt::Key_Left:
      case Qt::Key_Right:
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
      case Qt::Key_Home:
      case Qt::Key_End: return true;
      default: return false;
    }
  }
};

}  // namespace

TsTrackBar::TsTrackBar(TComponent* owner) : TWinControl(owner) {
  width_ = 150;
  height_ = 45;
  SetTabStop(true);
}

QWidget* TsTrackBar::CreateWidget(QWidget* parent) {
  auto* slider = new TrackBarSlider(Qt::Horizontal, parent);
  // An action moves the slider position before the value follows: only then is the change the user's.
  QObject::connect(slider, &QSlider::actionTriggered, SignalContext(), [this, slider](int) {
    if (slider->sliderPosition() != slider->value()) userMove_ = true;
  });
  QObject::connect(slider, &QSlider::valueChanged, SignalContext(), [this](int value) { ValueChanged(value); });
  return slider;
}

void TsTrackBar::InitializeWidget() {
  TWinControl::InitializeWidget();
  ApplyRange();
}

void TsTrackBar::ValueChanged(int value) {
  if (applying_) return;
  const bool user = userMove_;
  userMove_ = false;
  if (value == position_) return;
  position_ = value;
  Guarded(this, [this, user] {
    if (OnChange) OnChange(this);
    if (user && OnUserChange) OnUserChange(this);
  });
}

void TsTrackBar::ApplyRange() {
  auto* slider = qobject_cast<QSlider*>(widget_.data());
  if (!slider) return;
  applying_ = true;
  slider->setRange(min_, max_);
  slider->setValue(position_);
  slider->setTickPosition(tickStyle_ == TTickStyle::tsNone ? QSlider::NoTicks : QSlider::TicksBelow);
  applying_ = false;
}

void TsTrackBar::SetMin(int value) {
  min_ = value;
  position_ = std::max(position_, min_);
  ApplyRange();
}

void TsTrackBar::SetMax(int value) {
  max_ = value;
  position_ = std::min(position_, max_);
  ApplyRange();
}

void TsTrackBar::SetPosition(int value) {
  const int position = std::clamp(value, min_, std::max(min_, max_));
  if (position == position_) return;
  position_ = position;
  ApplyRange();
  if (OnChange) OnChange(this);
}

void TsTrackBar::SetTickStyle(TTickStyle style) {
  tickStyle_ = style;
  ApplyRange();
}

void TsTrackBar::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  static const std::pair<const char*, TTickStyle> ticks[] = {
      {"tsNone", TTickStyle::tsNone}, {"tsAuto", TTickStyle::tsAuto}, {"tsManual", TTickStyle::tsManual}};
  if (SetSkinDataProperty(skinData_, name, value)) return;
  if (name == "Min") {
    SetMin(value.Int());
  } else if (name == "Max") {
    SetMax(value.Int());
  } else if (name == "Position") {
    SetPosition(value.Int());
  } else if (name == "TickStyle") {
    SetTickStyle(value.Enum(ticks));
  } else if (name == "ThumbLength") {
    SetThumbLength(value.Int());
  } else if (name == "OnChange") {
    OnChange = value.Handler<TNotifyEvent>(Name() + ".OnChange");
  } else if (name == "OnUserChange") {
    OnUserChange = value.Handler<TNotifyEvent>(Name() + ".OnUserChange");
  } else {
    TWinControl::SetLayoutProperty(name, value);
  }
}
