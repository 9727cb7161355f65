// OleDraw, OLE menu descriptors and IsAccelerator.
#include <map>
#include <mutex>
#include <vector>

#include "platform/com/control_interfaces.h"
#include "platform/com/global_memory.h"
#include "platform/com/view_object.h"

namespace {

struct MenuDescriptor {
  HMENU sharedMenu;
  OLEMENUGROUPWIDTHS widths;
};

struct InstalledDescriptor {
  HOLEMENU descriptor;
  HWND activeObjectWindow;
};

struct Descriptors {
  std::mutex mutex;
  std::map<HWND, InstalledDescriptor> byFrame;  // guarded by mutex
};

Descriptors& TheDescriptors() {
  static auto* descriptors = new Descriptors;
  return *descriptors;
}

bool IsDescriptor(HOLEMENU descriptor) { return descriptor && GlobalSize(descriptor) == sizeof(MenuDescriptor); }

bool ModifiersMatch(BYTE flags, bool alt) {
  const bool shift = GetKeyState(VK_SHIFT) & 0x8000;
  const bool control = GetKeyState(VK_CONTROL) & 0x8000;
  return ((flags & FSHIFT) != 0) == shift && ((flags & FCONTROL) != 0) == control && ((flags & FALT) != 0) == alt;
}

}  // namespace

HRESULT WINAPI OleDraw(IUnknown* object, DWORD aspect, HDC dc, LPCRECT bounds) {
  if (!object || !bounds) return E_INVALIDARG;
  ComPtr<IViewObject> view;
  if (FAILED(object->QueryInterface(IID_IViewObject, view.PutVoid())) || !view) return DV_E_NOIVIEWOBJECT;
  const RECTL rect{bounds->left, bounds->top, bounds->right, bounds->bottom};
  return view->Draw(aspect, -1, nullptr, nullptr, nullptr, dc, &rect, nullptr, nullptr, 0);
}

HOLEMENU WINAPI OleCreateMenuDescriptor(HMENU sharedMenu, LPOLEMENUGROUPWIDTHS widths) {
  if (!sharedMenu || !widths) return nullptr;
  HOLEMENU descriptor = GlobalAlloc(GMEM_MOVEABLE, sizeof(MenuDescriptor));
  if (!descriptor) return nullptr;
  auto* data = static_cast<MenuDescriptor*>(GlobalLock(descriptor));
  *data = MenuDescriptor{sharedMenu, *widths};
  GlobalUnlock(descriptor);
  return descriptor;
}

HRESULT WINAPI OleDestroyMenuDescriptor(HOLEMENU descriptor) {
  if (!IsDescriptor(descriptor)) return E_INVALIDARG;
  Descriptors& all = TheDescriptors();
  {
    std::lock_guard lock(all.mutex);
    for (auto it = all.byFrame.begin(); it != all.byFrame.end();)
      it = it->second.descriptor == descriptor ? all.byFrame.erase(it) : std::next(it);
  }
  GlobalFree(descriptor);
  return S_OK;
}

HRESULT WINAPI OleSetMenuDescriptor(HOLEMENU descriptor, HWND frame, HWND activeObjectWindow, IOleInPlaceFrame*,
                                    IOleInPlaceActiveObject*) {
  Descriptors& all = TheDescriptors();
  std::lock_guard lock(all.mutex);
  if (!descriptor) {
    all.byFrame.erase(frame);
    return S_OK;
  }
  if (!IsWindow(frame) || !IsDescriptor(descriptor)) return E_INVALIDARG;
  all.byFrame[frame] = InstalledDescriptor{descriptor, activeObjectWindow};
  return S_OK;
}

BOOL WINAPI IsAccelerator(HACCEL table, int entries, LPMSG message, WORD* command) {
  if (!table || entries <= 0 || !message) return FALSE;
  const int size = CopyAcceleratorTableA(table, nullptr, 0);
  if (size <= 0) return FALSE;
  std::vector<ACCEL> accelerators(static_cast<std::size_t>(size));
  const int count = CopyAcceleratorTableA(table, accelerators.data(), std::min(size, entries));
  const UINT kind = message->message;
  const bool keyDown = kind == WM_KEYDOWN || kind == WM_SYSKEYDOWN;
  const bool character = kind == WM_CHAR || kind == WM_SYSCHAR;
  if (!keyDown && !character) return FALSE;
  const bool alt = kind == WM_SYSKEYDOWN || kind == WM_SYSCHAR || (GetKeyState(VK_MENU) & 0x8000);
  for (int i = 0; i < count; ++i) {
    const ACCEL& accelerator = accelerators[static_cast<std::size_t>(i)];
    const bool virtualKey = accelerator.fVirt & FVIRTKEY;
    bool match = false;
    if (virtualKey && keyDown)
      match = accelerator.key == static_cast<WORD>(message->wParam) && ModifiersMatch(accelerator.fVirt, alt);
    else if (!virtualKey && character)
      match = accelerator.key == static_cast<WORD>(message->wParam) && ((accelerator.fVirt & FALT) != 0) == alt;
    if (match) {
      if (command) *command = accelerator.cmd;
      return TRUE;
    }
  }
  return FALSE;
}
