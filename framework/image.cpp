#include <QPainter>
#include <QWidget>

#include "framework/extctrls.h"
#include "framework/layout_value.h"

namespace {

class ImageWidget final : public QWidget {
 public:
  using QWidget::QWidget;
  QImage image;
  bool stretch = false;
  bool center = false;

 protected:
  void paintEvent(QPaintEvent*) override {
    if (image.isNull()) return;
    QPainter painter(this);
    if (stretch) {
      painter.drawImage(rect(), image);
    } else if (center) {
      painter.drawImage((width() - image.width()) / 2, (height() - image.height()) / 2, image);
    } else {
      painter.drawImage(0, 0, image);
    }
  }
};

}  // namespace

TImage::TImage(TComponent* owner) : TControl(owner) {
  width_ = 105;
  height_ = 105;
}

QWidget* TImage::CreateWidget(QWidget* parent) { return new ImageWidget(parent); }

void TImage::InitializeWidget() {
  TControl::InitializeWidget();
  ApplyPicture();
}

void TImage::SetPicture(const QImage& image) {
  picture_.Bitmap().Assign(image);
  ApplyPicture();
}

void TImage::SetTransparent(bool value) {
  transparent_ = value;
  ApplyPicture();
}

void TImage::SetStretch(bool value) {
  stretch_ = value;
  ApplyPicture();
}

void TImage::SetCenter(bool value) {
  center_ = value;
  ApplyPicture();
}

void TImage::ApplyPicture() {
  auto* widget = dynamic_cast<ImageWidget*>(widget_.data());
  if (!widget) return;
  widget->image = picture_.Bitmap().DrawnImage(transparent_);
  widget->stretch = stretch_;
  widget->center = center_;
  widget->update();
}

void TImage::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  if (name == "Picture") {
    SetPicture(value.Picture());
  } else if (name == "Transparent") {
    SetTransparent(value.Bool());
  } else if (name == "Stretch") {
    SetStretch(value.Bool());
  } else if (name == "Center") {
    SetCenter(value.Bool());
  } else {
    TControl::SetLayoutProperty(name, value);
  }
}
