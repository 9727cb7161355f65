// The replacement window procedures of the video renderer's window and of the hidden form, the
// search for the renderer's window.
#include <cctype>

#include "framework/exception_report.h"
#include "player/active_movie.h"

namespace {

constexpr int kClassNameBuffer = 100;

struct RendererSearch {
  HWND found = nullptr;
};

BOOL CALLBACK FindRenderer(HWND window, LPARAM lParam) {
  char name[kClassNameBuffer] = {};
  const int length = GetClassNameA(window, name, kClassNameBuffer);
  AnsiString lower(name, static_cast<std::size_t>(length > 0 ? length : 0));
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.find("renderer") == AnsiString::npos) return TRUE;
  reinterpret_cast<RendererSearch*>(lParam)->found = window;
  return FALSE;
}

}  // namespace

void TActiveMovie::FindRendererWindow() {
  // Without a window of its own the control holds no renderer's window yet.
  if (!rendererHook_ || !HandleAllocated()) return;
  RendererSearch search;
  EnumChildWindows(Handle(), &FindRenderer, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return;
  rendererWindow_ = search.found;
  rendererProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(rendererWindow_, GWLP_WNDPROC));
  SetWindowLongPtrA(rendererWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(rendererHook_));
  SendMessageA(rendererWindow_, WM_NULL, 0, 0);
}

// The renderer's window may outlive the media it showed: it gets its own procedure back before the
// control forgets it, so that it never calls into a control that is gone.
void TActiveMovie::ReleaseRendererWindow() {
  if (rendererWindow_ && rendererProc_ && IsWindow(rendererWindow_))
    SetWindowLongPtrA(rendererWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(rendererProc_));
  rendererWindow_ = nullptr;
  rendererProc_ = nullptr;
}

bool TActiveMovie::StoreFullScreenKey(WPARAM key, LPARAM keyData) {
  if (!OnFullScreenKeyPress || fullScreenKeyPending_) return false;
  fullScreenKey_ = static_cast<WORD>(key);
  fullScreenKeyData_ = keyData;
  fullScreenKeyPending_ = true;
  return true;
}

LRESULT TActiveMovie::RendererWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYUP && StoreFullScreenKey(wParam, lParam)) return 0;
  return CallWindowProcA(rendererProc_ ? rendererProc_ : DefWindowProcA, window, message, wParam, lParam);
}

LRESULT TActiveMovie::HiddenFormWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  bool consumed = false;
  Guarded(this, [&] {
    if (message == WM_WINDOWPOSCHANGING) {
      if (OpenState() == nsOpen && PlayState() != mpPlaying) Seek(newTimePosition_);
    } else if (message == WM_KEYUP && ReadInteger(DISPID_MP_DISPLAYSIZE) == mpFullScreen) {
      consumed = StoreFullScreenKey(wParam, lParam);
    }
  });
  if (consumed) return 0;
  return CallWindowProcA(hiddenFormProc_ ? hiddenFormProc_ : DefWindowProcA, window, message, wParam, lParam);
}
