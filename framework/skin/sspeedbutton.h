// TsSpeedButton: a skinned button without a window of its own, with a glyph and a caption.
#pragma once

#include "framework/controls.h"
#include "framework/skin/skin_data.h"

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TsSpeedButton : public TControl {
 public:
  explicit TsSpeedButton(TComponent* owner);

  TsSkinData& SkinData() { return skinData_; }
  const TBitmap& Glyph() const { return glyph_; }
  void SetGlyph(const QImage& glyph);
  void SetGlyph(const TBitmap& glyph);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  int Spacing() const { return spacing_; }
  void SetSpacing(int spacing);

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  void InitializeWidget() override;
  void ApplyCaption() override;
  void ApplyColor() override {}

 private:
  void ApplyLook();
  TsSkinData skinData_{"SPEEDBUTTON"};
  TBitmap glyph_;
  TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
  int spacing_ = 4;
};
