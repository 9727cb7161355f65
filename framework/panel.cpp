#include <QFrame>
#include <QPainter>

#include "framework/extctrls.h"
#include "framework/layout_value.h"

namespace {

// Draws the bevels and the caption of a panel.
class PanelWidget final : public QFrame {
 public:
  using QFrame::QFrame;
  QString caption;

 protected:
  void paintEvent(QPaintEvent* event) override {
    QFrame::paintEvent(event);
    if (caption.isEmpty()) return;
    QPainter painter(this);
    painter.drawText(contentsRect(), Qt::AlignCenter, caption);
  }
};

}  // namespace

TCustomPanel::TCustomPanel(TComponent* owner) : TWinControl(owner) {
  width_ = 185;
  height_ = 41;
}

QWidget* TCustomPanel::CreateWidget(QWidget* parent) { return new PanelWidget(parent); }

void TCustomPanel::InitializeWidget() {
  TWinControl::InitializeWidget();
  ApplyFrame();
}

void TCustomPanel::ApplyCaption() {
  TWinControl::ApplyCaption();
  if (auto* panel = dynamic_cast<PanelWidget*>(widget_.data())) {
    panel->caption = QString::fromLocal8Bit(caption_.c_str());
    panel->update();
  }
}

void TCustomPanel::ApplyFrame() {
  auto* frame = qobject_cast<QFrame*>(widget_.data());
  if (!frame) return;
  const TBevelCut cut = bevelOuter_ != TBevelCut::bvNone ? bevelOuter_ : bevelInner_;
  const int bevels = (bevelOuter_ != TBevelCut::bvNone) + (bevelInner_ != TBevelCut::bvNone);
  frame->setFrameShape(cut == TBevelCut::bvNone ? QFrame::NoFrame : QFrame::Panel);
  frame->setFrameShadow(cut == TBevelCut::bvLowered ? QFrame::Sunken : QFrame::Raised);
  frame->setLineWidth(bevels);
  frame->setContentsMargins(borderWidth_, borderWidth_, borderWidth_, borderWidth_);
}

void TCustomPanel::SetBevelOuter(TBevelCut value) {
  bevelOuter_ = value;
  ApplyFrame();
}

void TCustomPanel::SetBevelInner(TBevelCut value) {
  bevelInner_ = value;
  ApplyFrame();
}

void TCustomPanel::SetBorderWidth(int value) {
  borderWidth_ = value;
  ApplyFrame();
}

void TCustomPanel::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  static const std::pair<const char*, TBevelCut> cuts[] = {
      {"bvNone", TBevelCut::bvNone}, {"bvLowered", TBevelCut::bvLowered}, {"bvRaised", TBevelCut::bvRaised}};
  if (name == "BevelOuter") {
    SetBevelOuter(value.Enum(cuts));
  } else if (name == "BevelInner") {
    SetBevelInner(value.Enum(cuts));
  } else if (name == "BorderWidth") {
    SetBorderWidth(value.Int());
  } else {
    TWinControl::SetLayoutProperty(name, value);
  }
}
