// IVideoWindow of the video renderer: the window's place, style and owner, set and read on the GUI
// thread.
#include <QWidget>

#include "platform/dshow/video_renderer.h"

namespace dshow {

// ---- IVideoWindow ----

HRESULT VideoRenderer::WithWindow(const std::function<HRESULT(HWND)>& action) {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  HRESULT hr = E_FAIL;
  std::shared_ptr<RendererShared> shared = shared_;
  RunOnGuiThread([&] {
    HWND window = RendererShared::EnsureWindow(shared);
    hr = window ? action(window) : E_FAIL;
  });
  return hr;
}

HRESULT VideoRenderer::put_Caption(BSTR strCaption) {
  return WithWindow([&](HWND window) {
    SetWindowTextA(window, com::BstrToUtf8(strCaption).c_str());
    return S_OK;
  });
}

HRESULT VideoRenderer::get_Caption(BSTR* strCaption) {
  if (!strCaption) return E_POINTER;
  *strCaption = nullptr;
  return WithWindow([&](HWND window) {
    char text[512];
    GetWindowTextA(window, text, sizeof text);
    *strCaption = com::AllocBstr(text);
    return S_OK;
  });
}

HRESULT VideoRenderer::put_WindowStyle(LONG WindowStyle) {
  constexpr DWORD refused =
      WS_DISABLED | WS_MINIMIZE | 0x01000000 /*WS_MAXIMIZE*/ | 0x00100000 /*WS_HSCROLL*/ | 0x00200000 /*WS_VSCROLL*/;
  if (static_cast<DWORD>(WindowStyle) & refused) return E_INVALIDARG;
  return WithWindow([&](HWND window) {
    // The window's visibility is not a style to change here: put_Visible does that.
    const LONG current = GetWindowLongA(window, GWL_STYLE);
    SetWindowLongA(window, GWL_STYLE,
                   (WindowStyle & ~static_cast<LONG>(WS_VISIBLE)) | (current & static_cast<LONG>(WS_VISIBLE)));
    return S_OK;
  });
}

HRESULT VideoRenderer::get_WindowStyle(LONG* WindowStyle) {
  if (!WindowStyle) return E_POINTER;
  return WithWindow([&](HWND window) {
    *WindowStyle = GetWindowLongA(window, GWL_STYLE);
    return S_OK;
  });
}

HRESULT VideoRenderer::put_WindowStyleEx(LONG WindowStyleEx) {
  return WithWindow([&](HWND window) {
    SetWindowLongA(window, GWL_EXSTYLE, WindowStyleEx);
    return S_OK;
  });
}

HRESULT VideoRenderer::get_WindowStyleEx(LONG* WindowStyleEx) {
  if (!WindowStyleEx) return E_POINTER;
  return WithWindow([&](HWND window) {
    *WindowStyleEx = GetWindowLongA(window, GWL_EXSTYLE);
    return S_OK;
  });
}

HRESULT VideoRenderer::put_AutoShow(LONG AutoShow) {
  return WithWindow([&](HWND) {
    autoShow_ = AutoShow ? OATRUE : OAFALSE;
    return S_OK;
  });
}

HRESULT VideoRenderer::get_AutoShow(LONG* AutoShow) {
  if (!AutoShow) return E_POINTER;
  return WithWindow([&](HWND) {
    *AutoShow = autoShow_;
    return S_OK;
  });
}

HRESULT VideoRenderer::put_WindowState(LONG WindowState) {
  return WithWindow([&](HWND window) {
    ShowWindow(window, WindowState);
    return S_OK;
  });
}

HRESULT VideoRenderer::get_WindowState(LONG* WindowState) {
  if (!WindowState) return E_POINTER;
  return WithWindow([&](HWND window) {
    QWidget* widget = win32::WidgetFromHandle(window);
    *WindowState = !widget || widget->isHidden() ? SW_HIDE : widget->isMinimized() ? SW_MINIMIZE : SW_SHOW;
    return S_OK;
  });
}

HRESULT VideoRenderer::put_BackgroundPalette(LONG pBackgroundPalette) {
  return WithWindow([&](HWND) {
    backgroundPalette_ = pBackgroundPalette ? OATRUE : OAFALSE;
    return S_OK;
  });
}

HRESULT VideoRenderer::get_BackgroundPalette(LONG* pBackgroundPalette) {
  if (!pBackgroundPalette) return E_POINTER;
  return WithWindow([&](HWND) {
    *pBackgroundPalette = backgroundPalette_;
    return S_OK;
  });
}

HRESULT VideoRenderer::put_Visible(LONG Visible) {
  return WithWindow([&](HWND window) {
    ShowWindow(window, Visible ? SW_SHOWNOACTIVATE : SW_HIDE);
    return S_OK;
  });
}

HRESULT VideoRenderer::get_Visible(LONG* pVisible) {
  if (!pVisible) return E_POINTER;
  return WithWindow([&](HWND window) {
    *pVisible = (GetWindowLongA(window, GWL_STYLE) & static_cast<LONG>(WS_VISIBLE)) ? OATRUE : OAFALSE;
    return S_OK;
  });
}

HRESULT VideoRenderer::SetWindowPart(int part, LONG value) {
  return WithWindow([&](HWND window) {
    QWidget* widget = win32::WidgetFromHandle(window);
    const QRect r = WithRectPart(widget->geometry(), part, value);
    MoveWindow(window, r.left(), r.top(), r.width(), r.height(), TRUE);
    return S_OK;
  });
}

HRESULT VideoRenderer::GetWindowPart(int part, LONG* value) {
  if (!value) return E_POINTER;
  return WithWindow([&](HWND window) {
    *value = RectPart(win32::WidgetFromHandle(window)->geometry(), part);
    return S_OK;
  });
}

HRESULT VideoRenderer::put_Owner(OAHWND Owner) {
  HWND owner = reinterpret_cast<HWND>(Owner);
  return WithWindow([&](HWND window) {
    if (owner && !IsWindow(owner)) return E_INVALIDARG;
    SetParent(window, owner);
    owner_ = Owner;
    return S_OK;
  });
}

HRESULT VideoRenderer::get_Owner(OAHWND* Owner) {
  if (!Owner) return E_POINTER;
  return WithWindow([&](HWND) {
    *Owner = owner_;
    return S_OK;
  });
}

HRESULT VideoRenderer::put_MessageDrain(OAHWND Drain) {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  shared_->SetDrain(reinterpret_cast<HWND>(Drain));
  return S_OK;
}

HRESULT VideoRenderer::get_MessageDrain(OAHWND* Drain) {
  if (!Drain) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  *Drain = reinterpret_cast<OAHWND>(shared_->Drain());
  return S_OK;
}

HRESULT VideoRenderer::get_BorderColor(LONG* Color) {
  if (!Color) return E_POINTER;
  return WithWindow([&](HWND) {
    *Color = borderColor_;
    return S_OK;
  });
}

HRESULT VideoRenderer::put_BorderColor(LONG Color) {
  return WithWindow([&](HWND) {
    borderColor_ = Color;
    return S_OK;
  });
}

HRESULT VideoRenderer::get_FullScreenMode(LONG* FullScreenMode) {
  if (!FullScreenMode) return E_POINTER;
  *FullScreenMode = OAFALSE;
  return E_NOTIMPL;
}

HRESULT VideoRenderer::put_FullScreenMode(LONG) { return E_NOTIMPL; }

HRESULT VideoRenderer::SetWindowForeground(LONG Focus) {
  return WithWindow([&](HWND window) {
    if (QWidget* widget = win32::WidgetFromHandle(window)) {
      widget->raise();
      if (Focus) widget->setFocus(Qt::OtherFocusReason);
    }
    return S_OK;
  });
}

HRESULT VideoRenderer::NotifyOwnerMessage(OAHWND, LONG, LONG_PTR, LONG_PTR) {
  return IsConnected() ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT VideoRenderer::SetWindowPosition(LONG Left, LONG Top, LONG Width, LONG Height) {
  return WithWindow([&](HWND window) {
    MoveWindow(window, Left, Top, Width, Height, TRUE);
    return S_OK;
  });
}

HRESULT VideoRenderer::GetWindowPosition(LONG* pLeft, LONG* pTop, LONG* pWidth, LONG* pHeight) {
  if (!pLeft || !pTop || !pWidth || !pHeight) return E_POINTER;
  return WithWindow([&](HWND window) {
    const QRect r = win32::WidgetFromHandle(window)->geometry();
    *pLeft = r.left();
    *pTop = r.top();
    *pWidth = r.width();
    *pHeight = r.height();
    return S_OK;
  });
}

HRESULT VideoRenderer::GetRestorePosition(LONG* pLeft, LONG* pTop, LONG* pWidth, LONG* pHeight) {
  return GetWindowPosition(pLeft, pTop, pWidth, pHeight);
}

HRESULT VideoRenderer::GetMinIdealImageSize(LONG* pWidth, LONG* pHeight) { return GetVideoSize(pWidth, pHeight); }
HRESULT VideoRenderer::GetMaxIdealImageSize(LONG* pWidth, LONG* pHeight) { return GetVideoSize(pWidth, pHeight); }

HRESULT VideoRenderer::HideCursor(LONG Hide) {
  return WithWindow([&](HWND window) {
    cursorHidden_ = Hide ? OATRUE : OAFALSE;
    if (QWidget* widget = win32::WidgetFromHandle(window)) {
      if (Hide)
        widget->setCursor(Qt::BlankCursor);
      else
        widget->unsetCursor();
    }
    return S_OK;
  });
}

HRESULT VideoRenderer::IsCursorHidden(LONG* CursorHidden) {
  if (!CursorHidden) return E_POINTER;
  return WithWindow([&](HWND) {
    *CursorHidden = cursorHidden_;
    return S_OK;
  });
}

}  // namespace dshow
