#include <QPainter>
#include <QWidget>

#include "framework/accessibility.h"
#include "framework/extctrls.h"
#include "framework/layout_value.h"

namespace {

class ImageWidget final : public QWidget {
 public:
  using QWidget::QWidget;
  void SetPicture(const TBitmap& bitmap, bool transparent) {
    picture_ = bitmap;
    transparent_ = transparent;
    drawnRatio_ = 0;
  }
  bool stretch = false;
  bool center = false;

 protected:
  void paintEvent(QPaintEvent*) override {
    if (picture_.Empty()) return;
    QPainter painter(this);
    const QImage& image = Drawn();
    if (stretch) {
      painter.drawImage(rect(), image);
    } else if (center) {
      painter.drawImage((width() - picture_.Width()) / 2, (height() - picture_.Height()) / 2, image);
    } else {
      painter.drawImage(0, 0, image);
    }
  }

 private:
  // The picture for the screen the widget is on, drawn again only when the screen's ratio changes.
  const QImage& Drawn() {
    const qreal ratio = devicePixelRatioF();
    if (ratio != drawnRatio_) {
      drawn_ = picture_.DrawnImage(transparent_, ratio);
      drawnRatio_ = ratio;
    }
    return drawn_;
  }

  TBitmap picture_;
  bool transparent_ = false;
  QImage drawn_;
  qreal drawnRatio_ = 0;
};

}  // namespace

TImage::TImage(TComponent* owner) : TControl(owner) {
  width_ = 105;
  height_ = 105;
}

QWidget* TImage::CreateWidget(QWidget* parent) {
  auto* widget = new ImageWidget(parent);
  SetAccessibleRole(widget, QAccessible::Graphic);
  return widget;
}

void TImage::InitializeWidget() {
  TControl::InitializeWidget();
  ApplyPicture();
}

void TImage::SetPicture(const QImage& image) { SetPicture(TBitmap(image)); }

void TImage::SetPicture(const TBitmap& bitmap) {
  picture_.Bitmap() = bitmap;
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
  widget->SetPicture(picture_.Bitmap(), transparent_);
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
