#include "framework/skin/sbutton.h"

#include <QPainter>
#include <QPushButton>

#include "framework/exception_report.h"
#include "framework/forms.h"
#include "framework/layout_value.h"

namespace {

class SkinnedPushButton final : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void enterEvent(QEnterEvent* event) override {
    hot_ = true;
    QPushButton::enterEvent(event);
  }
  void leaveEvent(QEvent* event) override {
    hot_ = false;
    QPushButton::leaveEvent(event);
  }
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    skin::DrawButtonFace(painter, rect(), hot_ || hasFocus(), isDown(), isEnabled());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(rect().translated(isDown() ? 1 : 0, isDown() ? 1 : 0), Qt::AlignCenter, text());
  }

 private:
  bool hot_ = false;
};

}  // namespace

TsButton::TsButton(TComponent* owner) : TWinControl(owner) {
  width_ = 75;
  height_ = 25;
  SetTabStop(true);
}

QWidget* TsButton::CreateWidget(QWidget* parent) {
  auto* button = new SkinnedPushButton(parent);
  button->setAutoDefault(false);
  QObject::connect(button, &QPushButton::clicked, SignalContext(), [this] { Guarded(this, [this] { Click(); }); });
  return button;
}

void TsButton::InitializeWidget() {
  TWinControl::InitializeWidget();
  if (auto* button = qobject_cast<QPushButton*>(widget_.data())) button->setDefault(default_);
}

void TsButton::ApplyCaption() {
  TWinControl::ApplyCaption();
  if (auto* button = qobject_cast<QPushButton*>(widget_.data()))
    button->setText(QString::fromLocal8Bit(caption_.c_str()));
}

void TsButton::SetDefault(bool value) {
  default_ = value;
  if (auto* button = qobject_cast<QPushButton*>(widget_.data())) button->setDefault(value);
}

void TsButton::Click() {
  if (modalResult_ != 0) {
    TWinControl* root = this;
    while (root->Parent()) root = root->Parent();
    if (auto* form = dynamic_cast<TForm*>(root)) form->SetModalResult(modalResult_);
  }
  TWinControl::Click();
}

void TsButton::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  if (SetSkinDataProperty(skinData_, name, value)) return;
  if (name == "ModalResult") {
    SetModalResult(value.Int());
  } else if (name == "Default") {
    SetDefault(value.Bool());
  } else {
    TWinControl::SetLayoutProperty(name, value);
  }
}
