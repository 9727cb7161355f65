#include <QGroupBox>

#include "framework/stdctrls.h"

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {
  width_ = 185;
  height_ = 105;
}

QWidget* TGroupBox::CreateWidget(QWidget* parent) { return new QGroupBox(parent); }

void TGroupBox::ApplyCaption() {
  TWinControl::ApplyCaption();
  if (auto* box = qobject_cast<QGroupBox*>(widget_.data())) box->setTitle(QString::fromLocal8Bit(caption_.c_str()));
}
