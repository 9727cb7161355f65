#include "framework/skin/skin_data.h"

#include <QLinearGradient>

#include "framework/layout_value.h"

bool SetSkinDataProperty(TsSkinData& data, const AnsiString& name, const TLayoutValue& value) {
  if (name != "SkinData.SkinSection") return false;
  data.SkinSection = value.Str();
  return true;
}

namespace skin {

QColor FaceTop() { return QColor(252, 252, 253); }
QColor FaceBottom() { return QColor(229, 232, 238); }
QColor Border() { return QColor(150, 156, 170); }
QColor HotBorder() { return QColor(84, 132, 196); }
QColor GaugeFill() { return QColor(92, 150, 220); }

void DrawButtonFace(QPainter& painter, const QRect& rect, bool hot, bool down, bool enabled) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QRectF area = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient gradient(area.topLeft(), area.bottomLeft());
  if (down) {
    gradient.setColorAt(0, QColor(205, 214, 228));
    gradient.setColorAt(1, QColor(226, 232, 241));
  } else if (hot && enabled) {
    gradient.setColorAt(0, QColor(255, 255, 255));
    gradient.setColorAt(1, QColor(214, 228, 247));
  } else {
    gradient.setColorAt(0, FaceTop());
    gradient.setColorAt(1, FaceBottom());
  }
  painter.setBrush(gradient);
  painter.setPen(QPen((hot || down) && enabled ? HotBorder() : Border(), 1));
  painter.drawRoundedRect(area, 3, 3);
  painter.restore();
}

}  // namespace skin
