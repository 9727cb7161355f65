#include "framework/exception_report.h"
#include "framework/extctrls.h"
#include "framework/layout_value.h"

TTimer::TTimer(TComponent* owner) : TComponent(owner), timer_(std::make_unique<QTimer>()) {
  QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] { Guarded(this, [this] { Timer(); }); });
  UpdateTimer();
}

TTimer::~TTimer() { timer_->stop(); }

void TTimer::SetEnabled(bool value) {
  enabled_ = value;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned milliseconds) {
  interval_ = milliseconds;
  UpdateTimer();
}

bool TTimer::Running() const { return timer_->isActive(); }

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  timer_->stop();
  if (enabled_ && interval_ > 0 && !Loading()) timer_->start(static_cast<int>(interval_));
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

void TTimer::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  if (name == "Enabled") {
    SetEnabled(value.Bool());
  } else if (name == "Interval") {
    SetInterval(static_cast<unsigned>(value.Int()));
  } else if (name == "OnTimer") {
    OnTimer = value.Handler<TNotifyEvent>(Name() + ".OnTimer");
  } else {
    TComponent::SetLayoutProperty(name, value);
  }
}
