// Extra controls: panels, images and timers.
#pragma once

#include <QTimer>
#include <memory>

#include "framework/controls.h"

enum class TBevelCut { bvNone, bvLowered, bvRaised };

// A windowed area with an optional bevelled edge and a centred caption.
class TCustomPanel : public TWinControl {
 public:
  explicit TCustomPanel(TComponent* owner);

  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut value);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut value);
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int value);

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  void InitializeWidget() override;
  void ApplyCaption() override;

 private:
  void ApplyFrame();
  TBevelCut bevelOuter_ = TBevelCut::bvRaised;
  TBevelCut bevelInner_ = TBevelCut::bvNone;
  int borderWidth_ = 0;
};

class TPanel : public TCustomPanel {
 public:
  using TCustomPanel::TCustomPanel;
};

// A picture without a window of its own; with Transparent the colour of the bitmap's bottom-left
// pixel is not drawn.
class TImage : public TControl {
 public:
  explicit TImage(TComponent* owner);

  TPicture& Picture() { return picture_; }
  void SetPicture(const QImage& image);
  void SetPicture(const TBitmap& bitmap);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  bool Center() const { return center_; }
  void SetCenter(bool value);

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;

 protected:
  QWidget* CreateWidget(QWidget* parent) override;
  void InitializeWidget() override;
  void ApplyColor() override {}

 private:
  void ApplyPicture();
  TPicture picture_;
  bool transparent_ = false;
  bool stretch_ = false;
  bool center_ = false;
};

// Calls OnTimer every Interval milliseconds while Enabled (on the GUI thread).
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned milliseconds);
  bool Running() const;

  TNotifyEvent OnTimer;

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;
  void Loaded() override;

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();
  std::unique_ptr<QTimer> timer_;
  bool enabled_ = true;
  unsigned interval_ = 1000;
};
