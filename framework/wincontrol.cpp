#include <QApplication>
#include <algorithm>
#include <unordered_map>

#include "framework/classes.h"
#include "framework/controls.h"
#include "framework/exception_report.h"
#include "framework/layout_value.h"
#include "framework/object_instance.h"

namespace {

// The control whose window CreateWindowExA is making on this thread.
thread_local TWinControl* creationControl = nullptr;

std::unordered_map<HWND, TWinControl*>& ControlsByHandle() {
  static std::unordered_map<HWND, TWinControl*> controls;
  return controls;
}

}  // namespace

// The first procedure of every framework window: it hands the window to the control being created
// and subclasses it with that control's own procedure.
LRESULT CALLBACK FrameworkInitWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TWinControl* control = creationControl;
  if (!control) return DefWindowProcA(window, message, wParam, lParam);
  creationControl = nullptr;
  control->AttachHandle(window);
  return CallWindowProcA(control->objectInstance_, window, message, wParam, lParam);
}

TWinControl* FindControl(HWND window) {
  auto it = ControlsByHandle().find(window);
  return it == ControlsByHandle().end() ? nullptr : it->second;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
  objectInstance_ = MakeObjectInstance([this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return MainWndProc(window, message, wParam, lParam);
  });
}

TWinControl::~TWinControl() {
  DestroyComponents();  // the owned components go while this control is still whole
  WindowProc = [this](TMessage& message) { TWinControl::WndProc(message); };
  for (TControl* control : std::vector<TControl*>(controls_)) control->SetParent(nullptr);
  DestroyHandle();
  if (parent_) parent_->RemoveControl(this);
  parent_ = nullptr;
  FreeObjectInstance(objectInstance_);
}

LRESULT TWinControl::MainWndProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  TMessage m{message, wParam, lParam, 0};
  try {
    WindowProc(m);
  } catch (...) {
    ReportException(this);
  }
  return m.Result;
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::HandleNeeded() {
  if (handle_) return;
  if (parent_) parent_->HandleNeeded();
  if (!handle_) CreateWnd();  // the parent's creation may have made ours already
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.Caption = caption_;
  params.Style = WS_CLIPSIBLINGS | (parent_ ? WS_CHILD : WS_POPUP);
  if (tabStop_) params.Style |= WS_TABSTOP;
  params.X = left_;
  params.Y = top_;
  params.Width = width_;
  params.Height = height_;
  params.WndParent = parent_ ? parent_->Handle() : nullptr;
  params.Param = this;
  params.WindowClass.lpfnWndProc = DefWindowProcA;
  params.WindowClass.hInstance = MainInstance();
  params.WinClassName = ClassName();
}

void TWinControl::RegisterWindowClass(const TCreateParams& params) {
  WNDCLASSA existing{};
  if (GetClassInfoA(params.WindowClass.hInstance, params.WinClassName.c_str(), &existing)) return;
  WNDCLASSA windowClass = params.WindowClass;
  windowClass.lpfnWndProc = FrameworkInitWndProc;
  windowClass.lpszClassName = params.WinClassName.c_str();
  if (!RegisterClassA(&windowClass)) throw EInvalidOperation("Cannot register the window class " + params.WinClassName);
  win32::SetClassWidgetFactory(params.WinClassName.c_str(), [](const CREATESTRUCTA&, QWidget* parent) -> QWidget* {
    return creationControl ? creationControl->CreateWidget(parent) : new QWidget(parent);
  });
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  RegisterWindowClass(params);
  defWndProc_ = params.WindowClass.lpfnWndProc ? params.WindowClass.lpfnWndProc : DefWindowProcA;
  creationControl = this;
  try {
    CreateWindowHandle(params);
  } catch (...) {
    creationControl = nullptr;
    throw;
  }
  creationControl = nullptr;
  if (!handle_) throw EInvalidOperation("Error creating window of " + Name());
  widget_ = win32::WidgetFromHandle(handle_);
  InitializeWidget();
  CreateChildWindows();
  if (!parent_) UpdateTabChain();
}

void TWinControl::CreateWindowHandle(const TCreateParams& params) {
  HWND window = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                                params.X, params.Y, params.Width, params.Height, params.WndParent, nullptr,
                                params.WindowClass.hInstance, params.Param);
  if (window && !handle_) AttachHandle(window);
}

void TWinControl::AttachHandle(HWND window) {
  handle_ = window;
  ControlsByHandle()[window] = this;
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(objectInstance_));
}

void TWinControl::DetachHandle() {
  if (handle_) ControlsByHandle().erase(handle_);
  handle_ = nullptr;
  widget_ = nullptr;
}

void TWinControl::AdoptWindow(HWND window) {
  if (handle_) throw EInvalidOperation(Name() + " already has a window");
  QWidget* widget = win32::WidgetFromHandle(window);
  if (!widget) throw EInvalidOperation("Cannot adopt a window that does not exist");
  if (parent_) parent_->HandleNeeded();
  defWndProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  adopted_ = true;
  AttachHandle(window);
  if (parent_) ::SetParent(window, parent_->Handle());
  widget_ = widget;
  InitializeWidget();
  CreateChildWindows();
  SendMessageA(window, WM_NULL, 0, 0);
}

void TWinControl::DestroyHandle() {
  if (handle_) DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  DestroyHandle();
  HandleNeeded();
}

void TWinControl::DestroyWnd() {
  for (TControl* control : controls_) {
    if (control->IsWindowed())
      static_cast<TWinControl*>(control)->DestroyHandle();
    else
      control->DestroyGraphicWidget();
  }
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  HWND window = handle_;
  if (!window) return;
  if (adopted_) {
    // The window belongs to someone else: it gets its procedure back and lives on.
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defWndProc_));
    if (QWidget* widget = win32::WidgetFromHandle(window)) {
      widget->hide();
      widget->setParent(nullptr);
    }
    adopted_ = false;
    DetachHandle();
    return;
  }
  DestroyWindow(window);
  DetachHandle();
}

QWidget* TWinControl::CreateWidget(QWidget* parent) { return new QWidget(parent); }

void TWinControl::InitializeWidget() {
  widget_->setAutoFillBackground(true);
  TControl::InitializeWidget();
  ApplyTabStop();
}

void TWinControl::CreateChildWindows() {
  for (TControl* control : std::vector<TControl*>(controls_)) {
    if (!control->IsWindowed()) {
      control->CreateGraphicWidget();
      continue;
    }
    auto* child = static_cast<TWinControl*>(control);
    if (child->handle_)
      ::SetParent(child->handle_, handle_);
    else
      child->HandleNeeded();
  }
  // Controls without a window are drawn beneath the windowed ones, in their own order.
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
    if (!(*it)->IsWindowed() && (*it)->widget_) (*it)->widget_->lower();
}

void TWinControl::ApplyBounds() {
  if (handle_)
    SetWindowPos(handle_, nullptr, left_, top_, std::max(width_, 0), std::max(height_, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::ApplyCaption() {
  if (handle_) SetWindowTextA(handle_, caption_.c_str());
}

void TWinControl::ApplyTabStop() {
  if (widget_ && !tabStop_ && (widget_->focusPolicy() & Qt::TabFocus))
    widget_->setFocusPolicy(widget_->focusPolicy() == Qt::StrongFocus || widget_->focusPolicy() == Qt::WheelFocus
                                ? Qt::ClickFocus
                                : Qt::NoFocus);
}

void TWinControl::SetBounds(int left, int top, int width, int height) { TControl::SetBounds(left, top, width, height); }

TControl* TWinControl::Controls(int index) const {
  if (index < 0 || index >= ControlCount()) throw EListError(Format("List index out of bounds (%d)", index));
  return controls_[static_cast<std::size_t>(index)];
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  if (control->IsWindowed()) tabList_.push_back(static_cast<TWinControl*>(control));
}

void TWinControl::RemoveControl(TControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  tabList_.erase(std::remove_if(tabList_.begin(), tabList_.end(),
                                [&](TWinControl* c) { return static_cast<TControl*>(c) == control; }),
                 tabList_.end());
}

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  const auto& list = parent_->tabList_;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int order) {
  if (!parent_) return;
  auto& list = parent_->tabList_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  const int position = std::clamp(order, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + position, this);
  UpdateTabChain();
}

void TWinControl::SetTabStop(bool value) {
  tabStop_ = value;
  if (widget_) ApplyTabStop();
}

void TWinControl::CollectTabStops(std::vector<QWidget*>& widgets) const {
  for (TWinControl* child : tabList_) {
    if (child->tabStop_ && child->widget_) widgets.push_back(child->widget_.data());
    child->CollectTabStops(widgets);
  }
}

void TWinControl::UpdateTabChain() {
  const TWinControl* root = this;
  while (root->parent_) root = root->parent_;
  if (!root->widget_) return;
  std::vector<QWidget*> widgets;
  root->CollectTabStops(widgets);
  for (std::size_t i = 1; i < widgets.size(); ++i) QWidget::setTabOrder(widgets[i - 1], widgets[i]);
}

bool TWinControl::CanFocus() const {
  for (const TWinControl* c = this; c; c = c->parent_)
    if (!c->visible_ || !c->enabled_) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  ::SetFocus(Handle());
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::Broadcast(TMessage& message) {
  for (TControl* control : std::vector<TControl*>(controls_)) {
    control->WindowProc(message);
    if (message.Result != 0) return;
  }
}

void TWinControl::WndProc(TMessage& message) {
  // Key messages are first offered to the control itself as reflected notifications.
  if (message.Msg >= WM_KEYFIRST && message.Msg <= WM_KEYLAST) {
    if (Perform(CN_BASE + message.Msg, message.WParam, message.LParam) != 0) {
      message.Result = 0;
      return;
    }
  }
  TControl::WndProc(message);
}

void TWinControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_SIZE: WMSize(message); return;
    case WM_MOVE: WMMove(message); return;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(message); return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: WMKeyDown(message); return;
    case WM_KEYUP:
    case WM_SYSKEYUP: WMKeyUp(message); return;
    case WM_CHAR: WMChar(message); return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE: WMMouse(message); return;
    case WM_SETFOCUS: WMSetFocus(message); return;
    case WM_KILLFOCUS: WMKillFocus(message); return;
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL: ReflectToChild(message); return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: CNKeyDown(message); return;
    case CM_DIALOGKEY: CMDialogKey(message); return;
    case WM_NCDESTROY:
      DefaultHandler(message);
      if (!adopted_) DetachHandle();
      return;
    default: TControl::Dispatch(message); return;
  }
}

void TWinControl::DefaultHandler(TMessage& message) {
  // The framework's own messages mean nothing to the window's previous procedure.
  if (message.Msg >= CM_BASE && message.Msg < 0xC000) {
    message.Result = 0;
    return;
  }
  if (handle_)
    message.Result = CallWindowProcA(defWndProc_, handle_, message.Msg, message.WParam, message.LParam);
  else
    message.Result = 0;
}

void TWinControl::Resize() {
  if (OnResize) OnResize(this);
}

void TWinControl::WMSize(TMessage& message) {
  DefaultHandler(message);
  const int width = LOWORD(static_cast<DWORD_PTR>(message.LParam));
  const int height = HIWORD(static_cast<DWORD_PTR>(message.LParam));
  if (message.WParam != SIZE_MINIMIZED) UpdateBoundsFields(left_, top_, width, height);
  Resize();
}

void TWinControl::WMMove(TMessage& message) {
  DefaultHandler(message);
  if (widget_) UpdateBoundsFields(widget_->x(), widget_->y(), width_, height_);
}

void TWinControl::WMWindowPosChanged(TMessage& message) {
  DefaultHandler(message);
  const auto* pos = reinterpret_cast<const WINDOWPOS*>(message.LParam);
  if (pos) UpdateBoundsFields(pos->x, pos->y, pos->cx, pos->cy);
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::WMKeyDown(TMessage& message) {
  if (!(controlStyle_ & csNoStdEvents)) {
    WORD key = static_cast<WORD>(message.WParam);
    KeyDown(key, KeyboardShiftState());
    if (key == 0) return;
    message.WParam = key;
  }
  DefaultHandler(message);
}

void TWinControl::WMKeyUp(TMessage& message) {
  if (!(controlStyle_ & csNoStdEvents)) {
    WORD key = static_cast<WORD>(message.WParam);
    KeyUp(key, KeyboardShiftState());
    if (key == 0) return;
    message.WParam = key;
  }
  DefaultHandler(message);
}

void TWinControl::WMChar(TMessage& message) {
  if (!(controlStyle_ & csNoStdEvents)) {
    char key = static_cast<char>(message.WParam);
    KeyPress(key);
    if (key == 0) return;
    message.WParam = static_cast<unsigned char>(key);
  }
  DefaultHandler(message);
}

void TWinControl::WMMouse(TMessage& message) {
  if (controlStyle_ & csNoStdEvents) {
    DefaultHandler(message);
    return;
  }
  const int x = GET_X_LPARAM(message.LParam);
  const int y = GET_Y_LPARAM(message.LParam);
  TShiftState shift = KeyboardShiftState();
  if (message.WParam & MK_LBUTTON) shift |= ssLeft;
  if (message.WParam & MK_RBUTTON) shift |= ssRight;
  if (message.WParam & MK_MBUTTON) shift |= ssMiddle;
  const UINT m = message.Msg;
  const TMouseButton button = (m >= WM_RBUTTONDOWN && m <= WM_RBUTTONDBLCLK)   ? TMouseButton::mbRight
                              : (m >= WM_MBUTTONDOWN && m <= WM_MBUTTONDBLCLK) ? TMouseButton::mbMiddle
                                                                               : TMouseButton::mbLeft;
  if (m == WM_MOUSEMOVE) {
    MouseMove(shift, x, y);
  } else if (m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN) {
    MouseDown(button, shift, x, y);
  } else if (m == WM_LBUTTONUP || m == WM_RBUTTONUP || m == WM_MBUTTONUP) {
    MouseUp(button, shift, x, y);
  } else if (controlStyle_ & csDoubleClicks) {
    if (m == WM_LBUTTONDBLCLK) DblClick();
    MouseDown(button, shift | ssDouble, x, y);
  } else {
    MouseDown(button, shift, x, y);  // a second press
  }
  DefaultHandler(message);
}

void TWinControl::CNKeyDown(TMessage& message) {
  const WORD key = static_cast<WORD>(message.WParam);
  const bool navigation = key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_LEFT || key == VK_RIGHT ||
                          key == VK_UP || key == VK_DOWN;
  if (navigation && handle_) {
    const LRESULT wanted = SendMessageA(handle_, WM_GETDLGCODE, 0, 0);
    const bool claimed = (wanted & DLGC_WANTALLKEYS) || (key == VK_TAB && (wanted & DLGC_WANTTAB)) ||
                         (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE && (wanted & DLGC_WANTARROWS));
    if (!claimed) {
      TWinControl* form = this;
      while (form->parent_) form = form->parent_;
      if (form->Perform(CM_DIALOGKEY, message.WParam, message.LParam) != 0) {
        message.Result = 1;
        return;
      }
    }
  }
  DefaultHandler(message);
}

void TWinControl::CMDialogKey(TMessage& message) { Broadcast(message); }

void TWinControl::ReflectToChild(TMessage& message) {
  HWND child = reinterpret_cast<HWND>(message.LParam);
  TWinControl* control = child && child != handle_ ? FindControl(child) : nullptr;
  if (control) {
    message.Result = control->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
    return;
  }
  DefaultHandler(message);
}

bool TWinControl::PaletteChanged(bool foreground) {
  for (TControl* control : std::vector<TControl*>(controls_))
    if (control->PaletteChanged(foreground)) return true;
  return false;
}

void TWinControl::WMSetFocus(TMessage& message) {
  DefaultHandler(message);
  if (OnEnter) OnEnter(this);
}

void TWinControl::WMKillFocus(TMessage& message) {
  DefaultHandler(message);
  if (OnExit) OnExit(this);
}

void TWinControl::CMColorChanged(TMessage& message) {
  TControl::CMColorChanged(message);
  TMessage notify{CM_PARENTCOLORCHANGED, 0, 0, 0};
  Broadcast(notify);
}

void TWinControl::CMFontChanged(TMessage& message) {
  TControl::CMFontChanged(message);
  TMessage notify{CM_PARENTFONTCHANGED, 0, 0, 0};
  Broadcast(notify);
}

void TWinControl::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  if (name == "TabOrder") {
    SetTabOrder(value.Int());
  } else if (name == "TabStop") {
    SetTabStop(value.Bool());
  } else if (name == "OnEnter") {
    OnEnter = value.Handler<TNotifyEvent>(Name() + ".OnEnter");
  } else if (name == "OnExit") {
    OnExit = value.Handler<TNotifyEvent>(Name() + ".OnExit");
  } else if (name == "OnResize") {
    OnResize = value.Handler<TNotifyEvent>(Name() + ".OnResize");
  } else if (name == "OnKeyDown") {
    OnKeyDown = value.Handler<TKeyEvent>(Name() + ".OnKeyDown");
  } else if (name == "OnKeyUp") {
    OnKeyUp = value.Handler<TKeyEvent>(Name() + ".OnKeyUp");
  } else if (name == "OnKeyPress") {
    OnKeyPress = value.Handler<TKeyPressEvent>(Name() + ".OnKeyPress");
  } else {
    TControl::SetLayoutProperty(name, value);
  }
}
