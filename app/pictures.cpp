#include "app/pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cmath>
#include <functional>

#include "framework/graphics.h"

namespace {

// Glyphs are 24-bit: drawn smoothly over a face-like colour that is also the bottom-left pixel's,
// so that buttons leave it out and the smoothed edges blend into their face.
const QColor kGlyphKey(236, 238, 243);
// The banner stands on the main window's colour.
const QColor kBannerKey(216, 215, 222);

// Drawn on the picture's own grid of width x height, at the ratio's device pixels each way, so that
// a scaled screen gets the same picture sharp rather than blown up.
QImage Draw(int width, int height, qreal ratio, const QColor& key, const std::function<void(QPainter&)>& paint) {
  QImage image(qCeil(width * ratio), qCeil(height * ratio), QImage::Format_RGB888);
  image.fill(key);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.scale(ratio, ratio);
  paint(painter);
  painter.end();
  image.setPixelColor(0, image.height() - 1, key);
  return image;
}

QImage StartGlyph(qreal ratio) {
  return Draw(24, 24, ratio, kGlyphKey, [](QPainter& p) {
    // a curved arrow turning right
    p.setPen(QPen(QColor(30, 140, 60), 3.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, 5, 15, 15), 200 * 16, -250 * 16);
    QPainterPath head;
    head.moveTo(13.5, 1.5);
    head.lineTo(21.5, 5.5);
    head.lineTo(14.5, 10.5);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 140, 60));
    p.drawPath(head);
  });
}

QPainterPath Gear(QPointF centre, double outer, double inner, int teeth, double hole) {
  QPainterPath path;
  const double step = 2 * M_PI / (teeth * 4);
  for (int i = 0; i < teeth * 4; ++i) {
    const double radius = (i % 4 == 0 || i % 4 == 1) ? outer : inner;
    const QPointF point(centre.x() + radius * std::cos(i * step), centre.y() + radius * std::sin(i * step));
    if (i == 0)
      path.moveTo(point);
    else
      path.lineTo(point);
  }
  path.closeSubpath();
  path.addEllipse(centre, hole, hole);
  path.setFillRule(Qt::OddEvenFill);
  return path;
}

QImage SettingsGlyph(qreal ratio) {
  return Draw(24, 24, ratio, kGlyphKey, [](QPainter& p) {
    p.setPen(QPen(QColor(60, 70, 90), 0.8));
    p.setBrush(QColor(128, 138, 158));
    p.drawPath(Gear(QPointF(9, 9.5), 8, 5.8, 8, 2.4));
    p.setBrush(QColor(222, 160, 50));
    p.drawPath(Gear(QPointF(17, 17), 5.6, 4, 6, 1.6));
  });
}

QImage HelpGlyph(qreal ratio) {
  return Draw(24, 24, ratio, kGlyphKey, [](QPainter& p) {
    p.setPen(QPen(QColor(25, 75, 160), 1));
    p.setBrush(QColor(60, 120, 215));
    p.drawEllipse(QRectF(1.5, 1.5, 21, 21));
    QFont font("DejaVu Sans");
    font.setBold(true);
    font.setPixelSize(17);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(1.5, 1.5, 21, 21), Qt::AlignCenter, "?");
  });
}

QImage ExitGlyph(qreal ratio) {
  return Draw(24, 24, ratio, kGlyphKey, [](QPainter& p) {
    // the power symbol: a ring open at the top with a bar through the gap
    p.setPen(QPen(QColor(200, 40, 40), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(4, 5, 16, 16), 125 * 16, 290 * 16);
    p.drawLine(QPointF(12, 2.5), QPointF(12, 12));
  });
}

QImage PlusGlyph(qreal ratio) {
  return Draw(16, 16, ratio, kGlyphKey, [](QPainter& p) {
    p.setPen(QPen(QColor(20, 110, 30), 1));
    p.setBrush(QColor(50, 170, 60));
    QPainterPath plus;
    plus.addRect(6, 2, 4, 12);
    plus.addRect(2, 6, 12, 4);
    p.drawPath(plus.simplified());
  });
}

QImage MinusGlyph(qreal ratio) {
  return Draw(16, 16, ratio, kGlyphKey, [](QPainter& p) {
    p.setPen(QPen(QColor(150, 20, 20), 1));
    p.setBrush(QColor(220, 50, 50));
    p.drawRect(QRectF(2.5, 6.5, 11, 3));
  });
}

QImage CrossGlyph(qreal ratio) {
  return Draw(16, 16, ratio, kGlyphKey, [](QPainter& p) {
    p.setPen(QPen(QColor(210, 40, 40), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
  });
}

const QColor kTransport(40, 48, 66);

QImage PlayPauseGlyph(qreal ratio) {
  return Draw(10, 9, ratio, kGlyphKey, [](QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(kTransport);
    p.drawPolygon(QPolygon({QPoint(0, 0), QPoint(5, 4), QPoint(0, 8)}));
    p.drawRect(6, 1, 1, 7);
    p.drawRect(8, 1, 1, 7);
  });
}

QImage StopGlyph(qreal ratio) {
  return Draw(9, 9, ratio, kGlyphKey, [](QPainter& p) { p.fillRect(1, 0, 8, 8, kTransport); });
}

QImage ChevronsGlyph(bool left, qreal ratio) {
  return Draw(10, 9, ratio, kGlyphKey, [left](QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(kTransport);
    for (int x : {0, 5}) {
      const QPolygon chevron = left ? QPolygon({QPoint(x, 4), QPoint(x + 4, 0), QPoint(x + 4, 8)})
                                    : QPolygon({QPoint(x + 4, 4), QPoint(x, 0), QPoint(x, 8)});
      p.drawPolygon(chevron);
    }
  });
}

QImage Banner(qreal ratio) {
  return Draw(108, 34, ratio, kBannerKey, [](QPainter& p) {
    // a video file: a page with a corner turned and a strip of film
    QPainterPath page;
    page.moveTo(3, 2);
    page.lineTo(19, 2);
    page.lineTo(25, 8);
    page.lineTo(25, 31);
    page.lineTo(3, 31);
    page.closeSubpath();
    p.setPen(QPen(QColor(70, 80, 100), 1));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawLine(QPointF(19, 2), QPointF(19, 8));
    p.drawLine(QPointF(19, 8), QPointF(25, 8));
    p.fillRect(QRectF(7, 12, 14, 14), QColor(45, 55, 80));
    for (int y = 13; y < 26; y += 3) {
      p.fillRect(QRectF(8, y, 2, 1.6), Qt::white);
      p.fillRect(QRectF(18, y, 2, 1.6), Qt::white);
    }
    p.fillRect(QRectF(11, 15, 6, 8), QColor(110, 170, 230));
    // a red arrow to the right
    QPainterPath arrow;
    arrow.moveTo(31, 13);
    arrow.lineTo(42, 13);
    arrow.lineTo(42, 8);
    arrow.lineTo(52, 17);
    arrow.lineTo(42, 26);
    arrow.lineTo(42, 21);
    arrow.lineTo(31, 21);
    arrow.closeSubpath();
    p.setPen(QPen(QColor(150, 20, 20), 1));
    p.setBrush(QColor(220, 45, 40));
    p.drawPath(arrow);
    // a note
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(45, 55, 90));
    p.drawEllipse(QRectF(57, 22, 8, 6));
    p.drawEllipse(QRectF(69, 20, 8, 6));
    p.fillRect(QRectF(63.5, 6, 1.8, 19), QColor(45, 55, 90));
    p.fillRect(QRectF(75.5, 4, 1.8, 19), QColor(45, 55, 90));
    QPainterPath beam;
    beam.moveTo(63.5, 6);
    beam.lineTo(77.3, 4);
    beam.lineTo(77.3, 8);
    beam.lineTo(63.5, 10);
    beam.closeSubpath();
    p.drawPath(beam);
    // a loudspeaker with its sound waves
    QPainterPath speaker;
    speaker.moveTo(83, 13);
    speaker.lineTo(88, 13);
    speaker.lineTo(95, 7);
    speaker.lineTo(95, 27);
    speaker.lineTo(88, 21);
    speaker.lineTo(83, 21);
    speaker.closeSubpath();
    p.setPen(QPen(QColor(40, 45, 60), 1));
    p.setBrush(QColor(100, 110, 130));
    p.drawPath(speaker);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(40, 90, 170), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(92, 11, 8, 12), -50 * 16, 100 * 16);
    p.drawArc(QRectF(92, 7, 13, 20), -50 * 16, 100 * 16);
  });
}

}  // namespace

// Drawn on a 32 x 32 grid, stretched to the size: a film strip with a note on it.
QImage DesktopIcon(int size) {
  QImage drawn(size, size, QImage::Format_ARGB32);
  drawn.fill(Qt::transparent);
  {
    QPainter p(&drawn);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(QPen(QColor(0, 0, 128), 1.5));
    p.setBrush(QColor(0, 0, 255));
    p.drawRoundedRect(QRectF(2, 4, 22, 24), 3, 3);
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    for (int y = 7; y < 26; y += 5) {
      p.drawRect(QRectF(4, y, 2.5, 2.5));
      p.drawRect(QRectF(19.5, y, 2.5, 2.5));
    }
    p.setBrush(QColor(255, 255, 0));
    p.drawEllipse(QRectF(17, 16, 9, 7));
    p.fillRect(QRectF(24, 3, 2.5, 17), QColor(255, 255, 0));
    p.setPen(QPen(QColor(255, 0, 0), 2.5));
    p.drawLine(QPointF(27, 6), QPointF(30, 9));
  }
  return drawn;
}

QImage MainIcon(qreal ratio) {
  const int size = qCeil(32 * ratio);
  const QImage drawn = DesktopIcon(size);
  // The sixteen colours of the classic palette; the first is the transparent one.
  static const QRgb palette[16] = {qRgba(0, 0, 0, 0),   qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),
                                   qRgb(128, 128, 0),   qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128),
                                   qRgb(192, 192, 192), qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),
                                   qRgb(255, 255, 0),   qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(255, 255, 255)};
  QImage icon(size, size, QImage::Format_Indexed8);
  icon.setColorTable(QList<QRgb>(std::begin(palette), std::end(palette)));
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const QColor c = QColor::fromRgba(drawn.pixel(x, y));
      int best = 0;
      if (c.alpha() >= 128) {
        int bestDistance = 1 << 30;
        for (int i = 1; i < 16; ++i) {
          const int dr = c.red() - qRed(palette[i]), dg = c.green() - qGreen(palette[i]),
                    db = c.blue() - qBlue(palette[i]);
          const int distance = dr * dr + dg * dg + db * db;
          if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
          }
        }
      }
      icon.setPixel(x, y, static_cast<uint>(best));
    }
  }
  return icon;
}

void RegisterProgramPictures() {
  RegisterPicture("GLYPH_START", StartGlyph);
  RegisterPicture("GLYPH_SETTINGS", SettingsGlyph);
  RegisterPicture("GLYPH_HELP", HelpGlyph);
  RegisterPicture("GLYPH_EXIT", ExitGlyph);
  RegisterPicture("GLYPH_ADD", PlusGlyph);
  RegisterPicture("GLYPH_DELETE", MinusGlyph);
  RegisterPicture("GLYPH_CLEAR", CrossGlyph);
  RegisterPicture("GLYPH_PLAYPAUSE", PlayPauseGlyph);
  RegisterPicture("GLYPH_STOP", StopGlyph);
  RegisterPicture("GLYPH_REWIND", [](qreal ratio) { return ChevronsGlyph(true, ratio); });
  RegisterPicture("GLYPH_FORWARD", [](qreal ratio) { return ChevronsGlyph(false, ratio); });
  RegisterPicture("PICTURE_BANNER", Banner);
  RegisterPicture("ICON_MAIN", [](qreal ratio) { return MainIcon(ratio); });
}
