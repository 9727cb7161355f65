// Colours, fonts and bitmaps of the framework, over Qt's.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <cstdint>
#include <functional>
#include <vector>

#include "framework/components.h"
#include "framework/sysutils.h"
#include "platform/win32/bitmaps.h"
#include "platform/win32/wintypes.h"

// "Bitmap image is not valid" and the other failures to read a picture.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// 0x00BBGGRR, or a system colour: 0x80000000 | the system colour index.
using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clSystemColor = static_cast<TColor>(0x80000000);
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clBtnHighlight = clSystemColor | 20;
constexpr TColor clInfoText = clSystemColor | 23;
constexpr TColor clInfoBk = clSystemColor | 24;

constexpr TColor RGB(int r, int g, int b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }
// System colours resolve to the built-in look's colours.
TColor ColorToRGB(TColor color);
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);

// The screen's logical pixels per inch, for both axes: the framework lays out in logical pixels,
// which Qt maps to the screen's real ones itself.
constexpr int ScreenPixelsPerInch() { return 96; }

enum class TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
constexpr int DEFAULT_CHARSET = 1;

class TFont {
 public:
  TFont() = default;
  TFont(const TFont&) = default;
  TFont& operator=(const TFont&) = default;
  bool operator==(const TFont&) const = default;

  AnsiString Name = "MS Sans Serif";
  // Negative: the character height in pixels without internal leading; positive: the cell height.
  int Height = -11;
  TColor Color = clWindowText;
  int Style = 0;  // TFontStyle bits
  int Charset = DEFAULT_CHARSET;

  int Size() const;  // points at 96 pixels per inch
  void SetSize(int points);
  QFont ToQFont() const;
};

// Pictures that the program draws itself, looked up by name like resources. A source draws its
// picture at a device pixel ratio: at 1 the bitmap's own pixels, at 2 the same picture with twice
// the pixels each way, for a screen scaled to 200 %.
using TPictureSource = std::function<QImage(qreal devicePixelRatio)>;
void RegisterPicture(const AnsiString& name, TPictureSource source);
// The source registered under the name; null when there is none.
TPictureSource FindPicture(const AnsiString& name);

// A bitmap: 24 bits per pixel unless given otherwise. Transparent drawing leaves out the pixels of
// the transparent colour, by default the colour of the bottom-left pixel.
//
// Its pixels may live in a device-independent section (NewSection): memory laid out as the bitmap
// header says, rows padded to whole DWORDs, bottom-up for a positive height, that a frame can be
// copied into with one memory copy. The picture is read from the section when it is asked for;
// every other change (SetSize, Assign, drawing, loading) turns the bitmap back into a plain one.
class TBitmap {
 public:
  TBitmap() = default;
  explicit TBitmap(QImage image) : image_(std::move(image)) {}

  int Width() const;
  int Height() const;
  bool Empty() const { return Width() == 0 || Height() == 0; }
  void SetSize(int width, int height);
  const QImage& Image() const;
  void Assign(const QImage& image);
  // A raw-data resource (BMP or PNG bytes) of the module, or a picture the program registered under
  // that name (RegisterPicture). EResNotFound when there is neither.
  void LoadFromResourceName(HINSTANCE instance, const AnsiString& name);

  // A section of the header's size and depth: uncompressed, one plane, 24 or 32 bits. False, with
  // the bitmap left as it was, when the header describes no such bitmap or the memory is not there.
  bool NewSection(const BITMAPINFOHEADER& header);
  bool HasSection() const { return !sectionBits_.empty(); }
  BYTE* SectionBits();
  std::size_t SectionSize() const { return sectionBits_.size(); }

  // BMP files: 24 bits per pixel, bottom-up. The file is written whole or not at all
  // (EFCreateError, EWriteError); a file that is no BMP raises EInvalidGraphic.
  void SaveToFile(const AnsiString& fileName) const;
  void LoadFromFile(const AnsiString& fileName);
  // Draws source scaled to fill the rectangle (left, top, width, height) of this bitmap.
  void StretchDraw(int left, int top, int width, int height, const TBitmap& source);

  bool Transparent = false;
  TColor TransparentColor() const;  // the bottom-left pixel's colour
  // The bitmap as drawn: with the transparent colour cut out when Transparent is set.
  QImage DrawnImage(bool transparent) const;
  // The same for a screen of the device pixel ratio. A picture the program draws itself (loaded by
  // name and unchanged since) is drawn anew at that ratio, sharp; any other is left to be scaled.
  QImage DrawnImage(bool transparent, qreal devicePixelRatio) const;

 private:
  void LeaveSection();

  TPictureSource source_;  // what drew the bitmap, while it shows that drawing
  mutable QImage image_;
  BITMAPINFOHEADER sectionHeader_{};
  std::vector<BYTE> sectionBits_;
  mutable bool sectionRead_ = false;  // image_ shows the section as it is now
};

// A picture that a control shows. OnChange tells of every change made through Assign or Changed.
class TPicture : public TObject {
 public:
  TBitmap& Bitmap() { return bitmap_; }
  const TBitmap& Bitmap() const { return bitmap_; }
  int Width() const { return bitmap_.Width(); }
  int Height() const { return bitmap_.Height(); }
  void Assign(const TPicture& source);
  void Changed();
  TNotifyEvent OnChange;
  // Set once the picture was handed out as an OLE picture (GetOlePicture): someone outside the
  // framework may show it and wants to hear of its changes.
  bool OleLinked() const { return oleLinked_; }
  void SetOleLinked() { oleLinked_ = true; }

 private:
  TBitmap bitmap_;
  bool oleLinked_ = false;
};
