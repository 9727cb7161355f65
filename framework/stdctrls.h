// Standard controls: TLabel, TGroupBox and TScrollBar.
#pragma once

#include <algorithm>

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
  // The control the label names, of the same owner: a screen reader takes the label for its name.
  TWinControl* FocusControl() const;
  void SetFocusControl(TWinControl* control);

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;
  void Loaded() override;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  void InitializeWidget() override;
  void ApplyCaption() override;
  void ApplyColor() override;
  void CMTextChanged(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;
  void AdjustBounds();
  void ApplyAlignment();
  void ApplyFocusControl();

 private:
  AnsiString focusControl_;  // by name, so that the label outlives it safely
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

enum class TScrollBarKind { sbHorizontal, sbVertical };

// A scroll bar with its own window. Position stays within Min..Max.
class TScrollBar : public TWinControl {
 public:
  explicit TScrollBar(TComponent* owner);

  TScrollBarKind Kind() const { return kind_; }
  void SetKind(TScrollBarKind kind);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetMin(int value) { SetParams(position_, value, std::max(value, max_)); }
  void SetMax(int value) { SetParams(position_, std::min(min_, value), value); }
  // Fires OnChange when the position moved, also when the program moved it.
  void SetPosition(int value) { SetParams(value, min_, max_); }
  void SetParams(int position, int min, int max);
  int SmallChange() const { return smallChange_; }
  void SetSmallChange(int value);
  int LargeChange() const { return largeChange_; }
  void SetLargeChange(int value);

  TNotifyEvent OnChange;

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  void InitializeWidget() override;

 private:
  void ApplyRange();
  void ValueChanged(int value);
  TScrollBarKind kind_ = TScrollBarKind::sbHorizontal;
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
  int smallChange_ = 1;
  int largeChange_ = 1;
  bool applying_ = false;
};
