// TControl and TWinControl: controls with bounds, visibility, colour and font, drawn by Qt widgets.
//
// A TWinControl's window comes from the user32 stand-in when its handle is first needed (CreateWnd,
// CreateWindowHandle). The window's procedure is the control's own (a distinct procedure per
// control), which runs WindowProc -> WndProc -> Dispatch -> the message handlers, ending in
// DefaultHandler, which calls the window's previous procedure. A control can instead take an
// existing window as its handle (AdoptWindow): the window is subclassed and, when the handle is
// destroyed, given back its previous procedure, but not destroyed. A TControl without a window of
// its own is drawn by a widget inside its parent's window.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "framework/components.h"
#include "framework/graphics.h"
#include "framework/messages.h"
#include "platform/win32/user32.h"

class TWinControl;
class TLayoutValue;

class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using TShiftState = int;
constexpr TShiftState ssShift = 0x01;
constexpr TShiftState ssAlt = 0x02;
constexpr TShiftState ssCtrl = 0x04;
constexpr TShiftState ssLeft = 0x08;
constexpr TShiftState ssRight = 0x10;
constexpr TShiftState ssMiddle = 0x20;
constexpr TShiftState ssDouble = 0x40;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TWndMethod = std::function<void(TMessage& Message)>;

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// Control styles: how the framework treats a control.
using TControlStyle = int;
constexpr TControlStyle csAcceptsControls = 0x01;  // other controls may be placed on it
constexpr TControlStyle csDoubleClicks = 0x02;     // double clicks are reported as such
constexpr TControlStyle csNoStdEvents = 0x04;      // its window's mouse and key messages fire none of its input events

// A colour in a layout: a number or one of the colour names (clBtnFace, clWindow, ...).
TColor LayoutColor(const TLayoutValue& value);
TAlignment LayoutAlignment(const TLayoutValue& value);

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  void SetParentComponent(TComponent* parent) override;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
  void SetTop(int value) { SetBounds(left_, value, width_, height_); }
  void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
  void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
  // Every change of place or size goes through here.
  virtual void SetBounds(int left, int top, int width, int height);
  virtual int ClientWidth() const { return width_; }
  virtual int ClientHeight() const { return height_; }
  virtual void SetClientSize(int width, int height) { SetBounds(left_, top_, width, height); }

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& caption);
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  // What a screen reader says of the control. An empty name leaves it to the widget: a caption, a
  // text, a current item.
  const AnsiString& AccessibleName() const { return accessibleName_; }
  void SetAccessibleName(const AnsiString& name);
  const AnsiString& AccessibleDescription() const { return accessibleDescription_; }
  void SetAccessibleDescription(const AnsiString& description);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  TControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TControlStyle style) { controlStyle_ = style; }

  // Replaceable: every message of the control passes through it; WndProc by default.
  TWndMethod WindowProc;
  LRESULT Perform(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void WndProc(TMessage& message);
  virtual void Dispatch(TMessage& message);
  virtual void DefaultHandler(TMessage& message);

  // The widget that draws the control; null until it exists.
  QWidget* Widget() const { return widget_.data(); }
  virtual bool IsWindowed() const { return false; }
  void Invalidate();
  void Repaint();
  void BringToFront();
  virtual void Click();
  virtual void DblClick();
  // The palette of the screen changed (foreground: the window of this control's form came to the
  // front); true when the control realised a palette of its own. None does on this platform.
  virtual bool PaletteChanged(bool foreground);

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;

 protected:
  // The widget of a control without a window, inside its parent's widget.
  virtual QWidget* CreateWidget(QWidget* parent);
  // Pushes every property into a newly made widget.
  virtual void InitializeWidget();
  virtual void ApplyBounds();
  virtual void ApplyVisible();
  virtual void ApplyEnabled();
  virtual void ApplyColor();
  virtual void ApplyFont();
  virtual void ApplyCaption() {}
  virtual void ApplyHint();
  virtual void ApplyAccessibility();

  virtual void CMEnabledChanged(TMessage& message);
  virtual void CMColorChanged(TMessage& message);
  virtual void CMFontChanged(TMessage& message);
  virtual void CMParentColorChanged(TMessage& message);
  virtual void CMParentFontChanged(TMessage& message);
  virtual void CMVisibleChanged(TMessage& message);
  virtual void CMTextChanged(TMessage& message);

  // The control's input handling, which fires its input events; its window's messages and the
  // input events that hosted controls report come here alike.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

  // The receiver of the widget's signal connections, so that they end with the control.
  QObject* SignalContext() { return signalContext_.get(); }
  // Sets the fields without moving the widget (when the window itself reports a change).
  void UpdateBoundsFields(int left, int top, int width, int height);

  QPointer<QWidget> widget_;
  TWinControl* parent_ = nullptr;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clBtnFace;
  bool parentColor_ = true;
  TFont font_;
  bool parentFont_ = true;
  AnsiString caption_;
  AnsiString hint_;
  bool showHint_ = false;
  AnsiString accessibleName_;
  AnsiString accessibleDescription_;
  TControlStyle controlStyle_ = csDoubleClicks;

 private:
  friend class TWinControl;
  void CreateGraphicWidget();
  void DestroyGraphicWidget();

  std::unique_ptr<QObject> signalContext_;
};

struct TCreateParams {
  AnsiString Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSA WindowClass{};  // its procedure is the default that the control's own procedure passes on to
  AnsiString WinClassName;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  bool IsWindowed() const override { return true; }
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded();
  // The window goes, the control stays; a window is made again when next needed.
  void DestroyHandle();
  void RecreateWnd();
  // The procedure the control's own procedure passes unhandled messages on to.
  WNDPROC DefWndProc() const { return defWndProc_; }
  WNDPROC ObjectInstance() const { return objectInstance_; }
  // Takes an existing window as this control's window: its procedure is kept as the previous one,
  // the window is subclassed and placed into the control's parent, and WM_NULL is sent to it.
  void AdoptWindow(HWND window);
  bool WindowAdopted() const { return adopted_; }

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const;
  int TabOrder() const;
  void SetTabOrder(int order);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value);
  bool CanFocus() const;
  void SetFocus();
  bool Focused() const;
  // Sends the message to every child control.
  void Broadcast(TMessage& message);

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TNotifyEvent OnResize;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  void SetBounds(int left, int top, int width, int height) override;
  void WndProc(TMessage& message) override;
  void Dispatch(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;
  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;
  // Asks every child in turn; true as soon as one realised a palette.
  bool PaletteChanged(bool foreground) override;

 protected:
  virtual void CreateParams(TCreateParams& params);
  // Window creation: CreateParams, the window class, CreateWindowHandle, then the widget's state
  // and the children's windows.
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& params);
  // Window destruction: the children's windows, then DestroyWindowHandle.
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  // The widget behind the window (called while the window is being created).
  QWidget* CreateWidget(QWidget* parent) override;
  void InitializeWidget() override;
  void ApplyBounds() override;
  void ApplyCaption() override;
  virtual void ApplyTabStop();
  virtual void Resize();

  virtual void WMSize(TMessage& message);
  virtual void WMMove(TMessage& message);
  virtual void WMWindowPosChanged(TMessage& message);
  virtual void WMKeyDown(TMessage& message);
  virtual void WMKeyUp(TMessage& message);
  virtual void WMChar(TMessage& message);
  virtual void WMMouse(TMessage& message);
  virtual void WMSetFocus(TMessage& message);
  virtual void WMKillFocus(TMessage& message);
  void CMColorChanged(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;
  // A navigation key (Tab, Enter, Escape, an arrow) that the focused window does not claim
  // (WM_GETDLGCODE) is first offered to the controls of its form as CM_DIALOGKEY; Result 1 when
  // one of them took it, and then the key goes no further.
  virtual void CNKeyDown(TMessage& message);
  // The form's controls are asked in turn (Broadcast) until one takes the key.
  virtual void CMDialogKey(TMessage& message);
  // A child's notification to its parent (WM_COMMAND, WM_HSCROLL, WM_VSCROLL from the child's
  // window) is sent back to the child as CN_BASE + the message.
  virtual void ReflectToChild(TMessage& message);

  virtual void KeyDown(WORD& key, TShiftState shift);
  virtual void KeyUp(WORD& key, TShiftState shift);
  virtual void KeyPress(char& key);

  // The widgets of the window's tab stops, in tab order, children's after their container.
  void CollectTabStops(std::vector<QWidget*>& widgets) const;
  void UpdateTabChain();

 private:
  friend class TControl;
  friend LRESULT CALLBACK FrameworkInitWndProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void AttachHandle(HWND window);
  void DetachHandle();
  void RegisterWindowClass(const TCreateParams& params);
  void CreateChildWindows();
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);

  HWND handle_ = nullptr;
  WNDPROC defWndProc_ = nullptr;
  WNDPROC objectInstance_ = nullptr;
  bool adopted_ = false;
  bool tabStop_ = false;
  std::vector<TControl*> controls_;
  std::vector<TWinControl*> tabList_;
};

// The control whose window this is; null for windows of no control.
TWinControl* FindControl(HWND window);
// The keyboard state as shift flags.
TShiftState KeyboardShiftState();
// The shift state of a key message: Shift and Ctrl as the keyboard holds them now, Alt from the
// key data (bit 29, the context code).
TShiftState KeyDataToShiftState(LPARAM keyData);
