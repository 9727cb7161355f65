// The host's window: in-place activation of the control, whose own window becomes the host's;
// extent and bounds; UI activation with the form; menu merging; and the window procedure.
#include <cmath>

#include "activex/ole_control.h"
#include "framework/forms.h"

namespace {

constexpr int kHimetricPerInch = 2540;
// Where an accelerator message built by the host says the cursor was: never the real position.
constexpr LONG kAcceleratorPoint = 0x115DE1F1;

}  // namespace

// Window creation and destruction.

void TOleControl2::CreateWnd() {
  ConnectObject();
  if (InvisibleAtRunTime()) {
    TWinControl::CreateWnd();  // a plain window of its own, which the host paints
    return;
  }
  const RECT bounds = BoundsRect();
  // Its result is not examined: what counts is whether the control called OnInPlaceActivate.
  oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, ClientSite(), 0, ParentWindow(), &bounds);
  if (!inPlaceObject_) throw EOleError("OLE control activation failed");
  AttachControlWindow();
  if (!Visible() && IsWindowVisible(Handle())) ShowWindow(Handle(), SW_HIDE);
  if (OnWindowCreated) OnWindowCreated(this);
}

void TOleControl2::AttachControlWindow() {
  if (!inPlaceObject_ || HandleAllocated()) return;
  HWND window = nullptr;
  inPlaceObject_->GetWindow(&window);
  if (!window) throw EOleError("Could not obtain OLE control window handle");
  AdoptWindow(window);  // subclassed, its old procedure kept; WM_NULL completes the attachment
}

void TOleControl2::DestroyWindowHandle() {
  if (InvisibleAtRunTime()) {
    TWinControl::DestroyWindowHandle();
    return;
  }
  // The window is the control's: it gets its procedure back and is never destroyed here.
  TWinControl::DestroyWindowHandle();
  if (oleObject_) oleObject_->Close(OLECLOSE_NOSAVE);
}

RECT TOleControl2::BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }

HWND TOleControl2::ParentWindow() const { return parent_ && parent_->HandleAllocated() ? parent_->Handle() : nullptr; }

HWND TOleControl2::FrameWindow() const {
  const TControl* root = this;
  while (root->Parent()) root = root->Parent();
  auto* top = const_cast<TWinControl*>(static_cast<const TWinControl*>(root));
  return top->HandleAllocated() ? top->Handle() : nullptr;
}

// Extent and bounds: the control measures in HIMETRIC, the host in pixels.

void TOleControl2::SetBounds(int left, int top, int width, int height) {
  if ((width != width_ && width_ > 0) || (height != height_ && height_ > 0)) {
    if (InvisibleAtRunTime()) {
      width = width_;  // its size is its own; only the place may change
      height = height_;
    } else if (oleObject_) {
      SIZEL extent{MulDiv(width, kHimetricPerInch, ScreenPixelsPerInch()),
                   MulDiv(height, kHimetricPerInch, ScreenPixelsPerInch())};
      if (FAILED(oleObject_->SetExtent(DVASPECT_CONTENT, &extent))) {
        width = width_;
        height = height_;
      }
    }
  }
  TWinControl::SetBounds(left, top, width, height);
}

HRESULT TOleControl2::RequestNewObjectLayout() {
  RequireObject();
  SIZEL extent{};
  const HRESULT hr = oleObject_->GetExtent(DVASPECT_CONTENT, &extent);
  if (FAILED(hr)) return hr;
  int width = MulDiv(extent.cx, ScreenPixelsPerInch(), kHimetricPerInch);
  int height = MulDiv(extent.cy, ScreenPixelsPerInch(), kHimetricPerInch);
  if (InvisibleAtRunTime() && !oleControl_) {
    width = std::min(width, 32);
    height = std::min(height, 32);
  }
  SetBounds(left_, top_, width, height);
  return S_OK;
}

void TOleControl2::TransformCoords(POINTL& himetric, POINTF& container, DWORD flags) const {
  const int ppi = ScreenPixelsPerInch();
  if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
    container.x = static_cast<FLOAT>(MulDiv(himetric.x, ppi, kHimetricPerInch));
    container.y = static_cast<FLOAT>(MulDiv(himetric.y, ppi, kHimetricPerInch));
  } else {
    // Halves to the even neighbour, the processor's rounding.
    himetric.x = static_cast<LONG>(std::nearbyint(container.x * static_cast<double>(kHimetricPerInch) / ppi));
    himetric.y = static_cast<LONG>(std::nearbyint(container.y * static_cast<double>(kHimetricPerInch) / ppi));
  }
}

// UI activation: one hosted control of a form is UI-active at a time.

void TOleControl2::MarkUIActive(bool active) {
  TForm* form = GetParentForm(this);
  if (!form) return;
  if (active) {
    TWinControl* other = form->UIActiveHostedControl();
    if (other && other != this) other->Perform(CM_HOSTUIDEACTIVATE, 0, 0);
    form->SetUIActiveHostedControl(this);
  } else if (form->UIActiveHostedControl() == this) {
    form->SetUIActiveHostedControl(nullptr);
  }
}

void TOleControl2::HostUIActivate() {
  TForm* form = GetParentForm(this);
  if ((form && form->UIActiveHostedControl() == this) || !oleObject_) return;
  const RECT bounds = BoundsRect();
  oleObject_->DoVerb(OLEIVERB_UIACTIVATE, nullptr, ClientSite(), 0, ParentWindow(),
                     &bounds);  // the control calls OnUIActivate
}

void TOleControl2::HostUIDeactivate() {
  TForm* form = GetParentForm(this);
  if (form && form->UIActiveHostedControl() != this) return;
  if (inPlaceObject_) inPlaceObject_->UIDeactivate();
  if (form && form->ActiveControl() == this) UIDeactivated();
}

void TOleControl2::HostDocActivate(bool active) {
  TForm* form = GetParentForm(this);
  if (!form || !form->IsMDIChild() || !inPlaceActiveObject_) return;
  inPlaceActiveObject_->OnDocWindowActivate(active ? TRUE : FALSE);
  if (!active) SetFrameMenu(nullptr, nullptr, nullptr);
}

void TOleControl2::UIDeactivated() {
  SetFrameMenu(nullptr, nullptr, nullptr);
  MarkUIActive(false);
}

// Menu merging with the form's menu bar.

TMergeMenu* TOleControl2::FindMergeMenu() const {
  TForm* form = GetParentForm(const_cast<TOleControl2*>(this));
  if (!form) return nullptr;
  if (!form->IsMDIChild()) return form->Menu();
  TForm* main = Application ? Application->MainForm() : nullptr;
  return main ? main->Menu() : nullptr;
}

void TOleControl2::InsertFrameMenus(HMENU sharedMenu, OLEMENUGROUPWIDTHS& widths) {
  if (TMergeMenu* menu = FindMergeMenu()) menu->PopulateOle2Menu(sharedMenu, widths.width);
}

HRESULT TOleControl2::SetFrameMenu(HMENU sharedMenu, HOLEMENU descriptor, HWND activeObjectWindow) {
  TMergeMenu* menu = FindMergeMenu();
  if (!menu) return S_OK;
  menu->SetOle2MenuHandle(sharedMenu);  // 0: the form's own menu again
  return OleSetMenuDescriptor(descriptor, menu->WindowHandle(), activeObjectWindow, nullptr, nullptr);
}

// Messages.

void TOleControl2::WndProc(TMessage& message) {
  // Key messages reflected back to the host go to the control's accelerators first.
  if (message.Msg >= CN_BASE + WM_KEYFIRST && message.Msg <= CN_BASE + WM_KEYLAST && inPlaceActiveObject_) {
    MSG msg{};
    msg.hwnd = HandleAllocated() ? Handle() : nullptr;
    msg.message = message.Msg - CN_BASE;
    msg.wParam = message.WParam;
    msg.lParam = message.LParam;
    msg.time = static_cast<DWORD>(GetMessageTime());
    msg.pt = POINT{kAcceleratorPoint, kAcceleratorPoint};
    if (inPlaceActiveObject_->TranslateAccelerator(&msg) == S_OK) {
      message.Result = 1;
      return;
    }
  }
  if (message.Msg == CM_PARENTFONTCHANGED && ParentFont() && oleControl_) {
    oleControl_->OnAmbientPropertyChange(DISPID_AMBIENT_FONT);
    oleControl_->OnAmbientPropertyChange(DISPID_AMBIENT_FORECOLOR);
  } else if (message.Msg == CM_PARENTCOLORCHANGED && ParentColor() && oleControl_) {
    oleControl_->OnAmbientPropertyChange(DISPID_AMBIENT_BACKCOLOR);
  }
  TWinControl::WndProc(message);
}

void TOleControl2::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT:
      if (InvisibleAtRunTime()) {
        PaintControl(message);
        return;
      }
      break;
    case WM_ERASEBKGND:
      if (InvisibleAtRunTime()) {
        message.Result = 1;  // the framework's window erases its own background
        return;
      }
      DefaultHandler(message);  // the control's own window procedure
      return;
    case CM_HOSTUIACTIVATE: HostUIActivate(); return;
    case CM_HOSTUIDEACTIVATE: HostUIDeactivate(); return;
    case CM_HOSTDOCACTIVATE: HostDocActivate(message.WParam != 0); return;
    default: break;
  }
  TWinControl::Dispatch(message);
}

void TOleControl2::DefaultHandler(TMessage& message) {
  try {
    if (!HandleAllocated() || (miscStatus_ & OLEMISC_SIMPLEFRAME)) {
      TWinControl::DefaultHandler(message);
      return;
    }
    UINT number = message.Msg;
    // Reflected notifications go to the control as OCM_ messages, as MESSAGEREFLECT promises.
    if (number >= CN_BASE && number <= 0xBFFF) number -= CN_BASE - OCM__BASE;
    message.Result = CallWindowProcA(DefWndProc(), Handle(), number, message.WParam, message.LParam);
  } catch (...) {
    // swallowed without a report
  }
}

void TOleControl2::CMDialogKey(TMessage& message) {
  if (CanFocus() && oleControl_) {
    CONTROLINFO info{};
    info.cb = sizeof info;
    if (oleControl_->GetControlInfo(&info) == S_OK && info.cAccel > 0) {
      MSG msg{};
      msg.hwnd = HandleAllocated() ? Handle() : nullptr;
      msg.message = WM_KEYDOWN;
      msg.wParam = message.WParam;
      msg.lParam = message.LParam;
      if (IsAccelerator(info.hAccel, info.cAccel, &msg, nullptr)) {
        oleControl_->OnMnemonic(&msg);
        message.Result = 1;
        return;
      }
    }
  }
  TWinControl::CMDialogKey(message);
}

bool TOleControl2::PaletteChanged(bool foreground) {
  if (HandleAllocated() && foreground && CallWindowProcA(DefWndProc(), Handle(), WM_QUERYNEWPALETTE, 0, 0) != 0)
    return true;
  return TWinControl::PaletteChanged(foreground);
}

void TOleControl2::PaintControl(TMessage& message) {
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  PAINTSTRUCT paint{};
  const bool ownContext = dc == nullptr;
  if (ownContext) dc = BeginPaint(Handle(), &paint);
  RECT client{0, 0, 0, 0};
  GetClientRect(Handle(), &client);
  if (oleObject_) OleDraw(oleObject_.Get(), DVASPECT_CONTENT, dc, &client);
  if (ownContext) EndPaint(Handle(), &paint);
  message.Result = 0;
}
