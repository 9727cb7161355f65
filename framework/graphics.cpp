#include "framework/graphics.h"

#include <QFontDatabase>
#include <QPainter>
#include <map>

#include "framework/classes.h"
#include "platform/win32/resources.h"

namespace {

// The built-in light look's system colours.
TColor SystemColor(int index) {
  switch (index) {
    case 5: return clWhite;              // window
    case 8: return clBlack;              // window text
    case 13: return RGB(51, 153, 255);   // highlight
    case 14: return clWhite;             // highlight text
    case 15: return RGB(240, 240, 240);  // button face
    case 16: return RGB(160, 160, 160);  // button shadow
    case 17: return RGB(109, 109, 109);  // grey text
    case 18: return clBlack;             // button text
    case 20: return clWhite;             // button highlight
    case 23: return clBlack;             // info text
    case 24: return RGB(255, 255, 225);  // info background
    default: return RGB(240, 240, 240);
  }
}

// Families that stand in for the Windows faces the windows name, narrowest match first.
QStringList Families(const AnsiString& name) {
  QStringList families{QString::fromStdString(name)};
  if (SameText(name, "MS Sans Serif") || SameText(name, "Tahoma") || SameText(name, "Microsoft Sans Serif"))
    families << "DejaVu Sans Condensed"
             << "Liberation Sans"
             << "DejaVu Sans";
  return families;
}

std::map<AnsiString, TPictureSource>& Pictures() {
  static std::map<AnsiString, TPictureSource> pictures;
  return pictures;
}

}  // namespace

TColor ColorToRGB(TColor color) { return (color & clSystemColor) == clSystemColor ? SystemColor(color & 0xFF) : color; }

QColor ToQColor(TColor color) {
  const TColor rgb = ColorToRGB(color);
  return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

TColor FromQColor(const QColor& color) { return RGB(color.red(), color.green(), color.blue()); }

int TFont::Size() const { return Height < 0 ? (-Height * 72 + 48) / 96 : Height; }

void TFont::SetSize(int points) { Height = -((points * 96 + 36) / 72); }

QFont TFont::ToQFont() const {
  QFont font;
  QStringList families = Families(Name);
  const QStringList installed = QFontDatabase::families();
  for (auto it = families.begin(); it != families.end();) {
    if (families.size() > 1 && !installed.contains(*it, Qt::CaseInsensitive))
      it = families.erase(it);
    else
      ++it;
  }
  font.setFamilies(families);
  font.setPixelSize(Height < 0 ? -Height : std::max(1, Height * 4 / 5));
  font.setBold(Style & static_cast<int>(TFontStyle::fsBold));
  font.setItalic(Style & static_cast<int>(TFontStyle::fsItalic));
  font.setUnderline(Style & static_cast<int>(TFontStyle::fsUnderline));
  font.setStrikeOut(Style & static_cast<int>(TFontStyle::fsStrikeOut));
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

void TPicture::Assign(const TPicture& source) {
  if (&source != this) bitmap_ = source.bitmap_;
  Changed();
}

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void RegisterPicture(const AnsiString& name, TPictureSource source) { Pictures()[UpperCase(name)] = std::move(source); }

TPictureSource FindPicture(const AnsiString& name) {
  auto it = Pictures().find(UpperCase(name));
  return it == Pictures().end() ? TPictureSource() : it->second;
}
