#include "framework/skin/sspeedbutton.h"

#include <QAbstractButton>
#include <QPainter>

#include "framework/exception_report.h"
#include "framework/layout_value.h"

namespace {

class SpeedButtonWidget final : public QAbstractButton {
 public:
  using QAbstractButton::QAbstractButton;
  void SetGlyph(const TBitmap& bitmap) {
    glyph_ = bitmap;
    drawnRatio_ = 0;
  }
  TButtonLayout layout = TButtonLayout::blGlyphLeft;
  int spacing = 4;

 protected:
  void enterEvent(QEnterEvent* event) override {
    hot_ = true;
    update();
    QAbstractButton::enterEvent(event);
  }
  void leaveEvent(QEvent* event) override {
    hot_ = false;
    update();
    QAbstractButton::leaveEvent(event);
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    skin::DrawButtonFace(painter, rect(), hot_, isDown(), isEnabled());
    const QString caption = text();
    const QFontMetrics metrics(font());
    const QSize glyphSize = glyph_.Empty() ? QSize() : QSize(glyph_.Width(), glyph_.Height());
    const QSize textSize = caption.isEmpty() ? QSize() : QSize(metrics.horizontalAdvance(caption), metrics.height());
    const bool vertical = layout == TButtonLayout::blGlyphTop || layout == TButtonLayout::blGlyphBottom;
    const int gap = glyph_.Empty() || caption.isEmpty() ? 0 : (vertical ? 2 : spacing);
    const QSize content =
        vertical ? QSize(std::max(glyphSize.width(), textSize.width()), glyphSize.height() + gap + textSize.height())
                 : QSize(glyphSize.width() + gap + textSize.width(), std::max(glyphSize.height(), textSize.height()));
    const int shift = isDown() ? 1 : 0;
    const QPoint origin((width() - content.width()) / 2 + shift, (height() - content.height()) / 2 + shift);
    QRect glyphRect, textRect;
    if (vertical) {
      const int glyphX = origin.x() + (content.width() - glyphSize.width()) / 2;
      const int textX = origin.x() + (content.width() - textSize.width()) / 2;
      if (layout == TButtonLayout::blGlyphTop) {
        glyphRect = QRect(QPoint(glyphX, origin.y()), glyphSize);
        textRect = QRect(QPoint(textX, origin.y() + glyphSize.height() + gap), textSize);
      } else {
        textRect = QRect(QPoint(textX, origin.y()), textSize);
        glyphRect = QRect(QPoint(glyphX, origin.y() + textSize.height() + gap), glyphSize);
      }
    } else {
      const int glyphY = origin.y() + (content.height() - glyphSize.height()) / 2;
      const int textY = origin.y() + (content.height() - textSize.height()) / 2;
      if (layout == TButtonLayout::blGlyphLeft) {
        glyphRect = QRect(QPoint(origin.x(), glyphY), glyphSize);
        textRect = QRect(QPoint(origin.x() + glyphSize.width() + gap, textY), textSize);
      } else {
        textRect = QRect(QPoint(origin.x(), textY), textSize);
        glyphRect = QRect(QPoint(origin.x() + textSize.width() + gap, glyphY), glyphSize);
      }
    }
    if (!glyph_.Empty()) {
      if (!isEnabled()) painter.setOpacity(0.4);
      painter.drawImage(glyphRect.topLeft(), DrawnGlyph());
      painter.setOpacity(1.0);
    }
    if (!caption.isEmpty()) {
      painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
      painter.drawText(textRect, Qt::AlignCenter, caption);
    }
  }

 private:
  // The glyph for the screen the button is on, drawn again only when the screen's ratio changes.
  const QImage& DrawnGlyph() {
    const qreal ratio = devicePixelRatioF();
    if (ratio != drawnRatio_) {
      drawn_ = glyph_.DrawnImage(glyph_.Transparent, ratio);
      drawnRatio_ = ratio;
    }
    return drawn_;
  }

  TBitmap glyph_;
  QImage drawn_;
  qreal drawnRatio_ = 0;
  bool hot_ = false;
};

}  // namespace

TsSpeedButton::TsSpeedButton(TComponent* owner) : TControl(owner) {
  width_ = 23;
  height_ = 22;
}

QWidget* TsSpeedButton::CreateWidget(QWidget* parent) {
  auto* button = new SpeedButtonWidget(parent);
  button->setFocusPolicy(Qt::NoFocus);
  QObject::connect(button, &QAbstractButton::clicked, SignalContext(), [this] { Guarded(this, [this] { Click(); }); });
  return button;
}

void TsSpeedButton::InitializeWidget() {
  TControl::InitializeWidget();
  ApplyLook();
}

void TsSpeedButton::SetGlyph(const QImage& glyph) { SetGlyph(TBitmap(glyph)); }

void TsSpeedButton::SetGlyph(const TBitmap& glyph) {
  glyph_ = glyph;
  glyph_.Transparent = true;
  ApplyLook();
}

void TsSpeedButton::SetLayout(TButtonLayout layout) {
  layout_ = layout;
  ApplyLook();
}

void TsSpeedButton::SetSpacing(int spacing) {
  spacing_ = spacing;
  ApplyLook();
}

void TsSpeedButton::ApplyCaption() {
  if (auto* button = dynamic_cast<SpeedButtonWidget*>(widget_.data()))
    button->setText(QString::fromLocal8Bit(caption_.c_str()));
}

void TsSpeedButton::ApplyLook() {
  auto* button = dynamic_cast<SpeedButtonWidget*>(widget_.data());
  if (!button) return;
  button->SetGlyph(glyph_);
  button->layout = layout_;
  button->spacing = spacing_;
  button->update();
}

void TsSpeedButton::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  static const std::pair<const char*, TButtonLayout> layouts[] = {{"blGlyphLeft", TButtonLayout::blGlyphLeft},
                                                                  {"blGlyphRight", TButtonLayout::blGlyphRight},
                                                                  {"blGlyphTop", TButtonLayout::blGlyphTop},
                                                                  {"blGlyphBottom", TButtonLayout::blGlyphBottom}};
  if (SetSkinDataProperty(skinData_, name, value)) return;
  if (name == "Glyph") {
    SetGlyph(value.Picture());
  } else if (name == "Layout") {
    SetLayout(value.Enum(layouts));
  } else if (name == "Spacing") {
    SetSpacing(value.Int());
  } else {
    TControl::SetLayoutProperty(name, value);
  }
}
