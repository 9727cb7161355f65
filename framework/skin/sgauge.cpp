#include "framework/skin/sgauge.h"

#include <QPainter>
#include <algorithm>

#include "framework/layout_value.h"

namespace {

class GaugeWidget final : public QWidget {
 public:
  using QWidget::QWidget;
  double fraction = 0;
  QString text;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.setPen(skin::Border());
    painter.setBrush(QColor(250, 250, 252));
    painter.drawRect(frame);
    const QRect inner = frame.adjusted(2, 2, -1, -1);
    const int filled = static_cast<int>(inner.width() * fraction);
    if (filled > 0) {
      QLinearGradient gradient(inner.topLeft(), inner.bottomLeft());
      gradient.setColorAt(0, skin::GaugeFill().lighter(125));
      gradient.setColorAt(1, skin::GaugeFill());
      painter.fillRect(QRect(inner.left(), inner.top(), filled, inner.height()), gradient);
    }
    if (!text.isEmpty()) {
      painter.setPen(palette().color(QPalette::WindowText));
      painter.drawText(rect(), Qt::AlignCenter, text);
    }
  }
};

}  // namespace

TsGauge::TsGauge(TComponent* owner) : TControl(owner) {
  width_ = 100;
  height_ = 17;
}

QWidget* TsGauge::CreateWidget(QWidget* parent) { return new GaugeWidget(parent); }

void TsGauge::InitializeWidget() {
  TControl::InitializeWidget();
  ApplyProgress();
}

void TsGauge::SetProgress(int value) {
  progress_ = std::clamp(value, minValue_, std::max(minValue_, maxValue_));
  ApplyProgress();
}

void TsGauge::SetShowText(bool value) {
  showText_ = value;
  ApplyProgress();
}

void TsGauge::ApplyProgress() {
  auto* gauge = dynamic_cast<GaugeWidget*>(widget_.data());
  if (!gauge) return;
  const int span = maxValue_ - minValue_;
  gauge->fraction = span > 0 ? static_cast<double>(progress_ - minValue_) / span : 0;
  gauge->text = showText_ ? QString::number(static_cast<int>(gauge->fraction * 100)) + "%" : QString();
  gauge->update();
}

void TsGauge::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  if (SetSkinDataProperty(skinData_, name, value)) return;
  if (name == "Progress") {
    SetProgress(value.Int());
  } else if (name == "ShowText") {
    SetShowText(value.Bool());
  } else if (name == "MinValue") {
    minValue_ = value.Int();
    SetProgress(progress_);
  } else if (name == "MaxValue") {
    maxValue_ = value.Int();
    SetProgress(progress_);
  } else {
    TControl::SetLayoutProperty(name, value);
  }
}
