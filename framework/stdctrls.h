// Standard controls: TLabel and TGroupBox.
#pragma once

#include "framework/controls.h"

enum class TTextLayout { tlTop, tlCenter, tlBottom };

// A text without a window of its own. With AutoSize the width follows the text.
class TLabel : public TControl {
 public:
  explicit TLabel(TComponent* owner);

  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  // The width the text needs in the label's font: that of its widest line. CR LF, CR and LF
  // each break a line.
  int TextWidth() const;

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;
  void Loaded() override;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  void ApplyCaption() override;
  void ApplyColor() override;
  void CMTextChanged(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;
  void AdjustBounds();
  void ApplyAlignment();

 private:
  bool autoSize_ = true;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  TTextLayout layout_ = TTextLayout::tlTop;
  bool transparent_ = false;
};

// A framed group with a caption; its controls are placed relative to its top-left corner.
class TGroupBox : public TWinControl {
 public:
  explicit TGroupBox(TComponent* owner);

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  void ApplyCaption() override;
};
