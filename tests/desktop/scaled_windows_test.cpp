// The windows on a screen scaled to 200 % (this suite runs with QT_SCALE_FACTOR=2): the same layout
// in logical pixels, twice the device pixels, and the program's own pictures drawn sharp at that
// ratio rather than blown up from their 100 % pixels.
#include <QGuiApplication>

#include "app/pictures.h"
#include "framework/classes.h"
#include "tests/windows/program.h"

namespace {

using test_support::ProgramTest;

QImage Grabbed(TControl& control) { return control.Widget()->grab().toImage().convertToFormat(QImage::Format_ARGB32); }

// Whether every opaque pixel of the picture appears, unchanged, somewhere in the grabbed image.
bool ShowsOpaquePixels(const QImage& grabbed, const QImage& picture) {
  const QImage wanted = picture.convertToFormat(QImage::Format_ARGB32);
  for (int dy = 0; dy + wanted.height() <= grabbed.height(); ++dy) {
    for (int dx = 0; dx + wanted.width() <= grabbed.width(); ++dx) {
      bool all = true;
      for (int y = 0; y < wanted.height() && all; ++y)
        for (int x = 0; x < wanted.width() && all; ++x)
          if (qAlpha(wanted.pixel(x, y)) == 255 && grabbed.pixel(dx + x, dy + y) != wanted.pixel(x, y)) all = false;
      if (all) return true;
    }
  }
  return false;
}

TEST_F(ProgramTest, TheWindowsKeepTheirLayoutWithTwiceThePixels) {
  ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2";
  Start();
  for (TForm* form : {static_cast<TForm*>(Form1), static_cast<TForm*>(Form2), static_cast<TForm*>(Form3)}) {
    SCOPED_TRACE(form->Name());
    form->Show();
    EXPECT_EQ(form->Widget()->size(), QSize(form->Width(), form->Height()));
    EXPECT_EQ(form->Widget()->grab().size(), QSize(form->Width(), form->Height()) * 2);
    for (int i = 0; i < form->ControlCount(); ++i) {
      TControl* control = form->Controls(i);
      if (control->Widget() && control->Visible()) {
        EXPECT_EQ(control->Widget()->geometry(),
                  QRect(control->Left(), control->Top(), control->Width(), control->Height()))
            << control->Name();
      }
    }
    form->Hide();
  }
}

TEST_F(ProgramTest, TheGlyphsThePictureAndTheIconAreDrawnAtTwiceTheirPixels) {
  Start();
  Form1->Show();
  for (TsSpeedButton* button : {Form1->sSpeedButton4, Form1->sSpeedButton5, Form1->sSpeedButton6, Form1->sSpeedButton7,
                                Form1->sSpeedButton1, Form1->sSpeedButton2, Form1->sSpeedButton3, Form1->sSpeedButton9,
                                Form1->sSpeedButton10, Form1->sSpeedButton11, Form1->sSpeedButton12}) {
    SCOPED_TRACE(button->Name());
    const TBitmap& glyph = button->Glyph();
    const QImage sharp = glyph.DrawnImage(true, 2.0);
    ASSERT_EQ(sharp.size(), QSize(glyph.Width(), glyph.Height()) * 2);
    EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
    EXPECT_TRUE(ShowsOpaquePixels(Grabbed(*button), sharp));
  }
  // The antialiased arrow of Start, blown up from 24 x 24, is not what the button shows.
  const QImage blownUp = Form1->sSpeedButton4->Glyph().DrawnImage(true).scaled(48, 48);
  EXPECT_FALSE(ShowsOpaquePixels(Grabbed(*Form1->sSpeedButton4), blownUp));

  const TBitmap& banner = Form1->Image1->Picture().Bitmap();
  EXPECT_EQ(QSize(banner.Width(), banner.Height()), QSize(108, 34)) << "the bitmap itself keeps its pixels";
  EXPECT_TRUE(ShowsOpaquePixels(Grabbed(*Form1->Image1), banner.DrawnImage(true, 2.0)));

  EXPECT_TRUE(Form1->Widget()->windowIcon().availableSizes().contains(QSize(64, 64)));
}

TEST(DrawnPictures, APictureTheProgramChangesIsNoLongerDrawnAnew) {
  RegisterProgramPictures();
  TBitmap glyph;
  glyph.LoadFromResourceName(MainInstance(), "GLYPH_START");
  EXPECT_EQ(glyph.DrawnImage(false, 2.0).size(), QSize(48, 48));
  const TBitmap copy = glyph;
  EXPECT_EQ(copy.DrawnImage(false, 2.0).size(), QSize(48, 48));
  glyph.SetSize(24, 24);
  EXPECT_EQ(glyph.DrawnImage(false, 2.0).size(), QSize(24, 24)) << "drawn over: scaled as it is now";
  TBitmap assigned = copy;
  assigned.Assign(QImage(24, 24, QImage::Format_RGB888));
  EXPECT_EQ(assigned.DrawnImage(false, 2.0).size(), QSize(24, 24));
}

}  // namespace
