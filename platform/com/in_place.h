// In-place activation: the object's IOleInPlaceObject and IOleInPlaceActiveObject, the container's
// IOleInPlaceSite, IOleInPlaceUIWindow and IOleInPlaceFrame, and OLE menu descriptors.
#pragma once

#include "platform/com/ole_object.h"

struct SIZE {
  LONG cx;
  LONG cy;
};
using BORDERWIDTHS = RECT;
using LPBORDERWIDTHS = RECT*;
using LPCBORDERWIDTHS = const RECT*;
using HOLEMENU = HGLOBAL;

// What a frame tells an in-place object (GetWindowContext); cb is set by the object.
struct OLEINPLACEFRAMEINFO {
  UINT cb;
  BOOL fMDIApp;
  HWND hwndFrame;
  HACCEL haccel;
  UINT cAccelEntries;
};
using LPOLEINPLACEFRAMEINFO = OLEINPLACEFRAMEINFO*;

// The number of menus in each of the six groups of a shared menu: File, Edit, Container, Object,
// Window, Help. The container fills 0, 2 and 4; the object 1, 3 and 5.
struct OLEMENUGROUPWIDTHS {
  LONG width[6];
};
using LPOLEMENUGROUPWIDTHS = OLEMENUGROUPWIDTHS*;

inline constexpr IID IID_IOleWindow = {0x00000114, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IOleInPlaceObject = {
    0x00000113, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IOleInPlaceActiveObject = {
    0x00000117, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IOleInPlaceUIWindow = {
    0x00000115, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IOleInPlaceFrame = {
    0x00000116, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IOleInPlaceSite = {
    0x00000119, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IOleWindow : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) = 0;
  virtual HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enterMode) = 0;
};
COM_INTERFACE_ID(IOleWindow, IID_IOleWindow);

struct IOleInPlaceObject : IOleWindow {
  virtual HRESULT STDMETHODCALLTYPE InPlaceDeactivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE UIDeactivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReactivateAndUndo() = 0;
};
COM_INTERFACE_ID(IOleInPlaceObject, IID_IOleInPlaceObject);

struct IOleInPlaceUIWindow;

struct IOleInPlaceActiveObject : IOleWindow {
  // S_OK when the object translated the message, S_FALSE when not.
  virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) = 0;
  virtual HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) = 0;
};
COM_INTERFACE_ID(IOleInPlaceActiveObject, IID_IOleInPlaceActiveObject);

struct IOleInPlaceUIWindow : IOleWindow {
  virtual HRESULT STDMETHODCALLTYPE GetBorder(LPRECT border) = 0;
  virtual HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS widths) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* activeObject, LPCOLESTR objectName) = 0;
};
COM_INTERFACE_ID(IOleInPlaceUIWindow, IID_IOleInPlaceUIWindow);

struct IOleInPlaceFrame : IOleInPlaceUIWindow {
  virtual HRESULT STDMETHODCALLTYPE InsertMenus(HMENU sharedMenu, LPOLEMENUGROUPWIDTHS widths) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetMenu(HMENU sharedMenu, HOLEMENU descriptor, HWND activeObjectWindow) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU sharedMenu) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR text) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) = 0;
  virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message, WORD command) = 0;
};
COM_INTERFACE_ID(IOleInPlaceFrame, IID_IOleInPlaceFrame);

struct IOleInPlaceSite : IOleWindow {
  virtual HRESULT STDMETHODCALLTYPE CanInPlaceActivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE OnInPlaceActivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE OnUIActivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                                     LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) = 0;
  virtual HRESULT STDMETHODCALLTYPE Scroll(SIZE scrollExtent) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE DiscardUndoState() = 0;
  virtual HRESULT STDMETHODCALLTYPE DeactivateAndUndo() = 0;
  virtual HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) = 0;
};
COM_INTERFACE_ID(IOleInPlaceSite, IID_IOleInPlaceSite);

// A descriptor of a shared menu (null when the menu or the widths are missing); freed with
// OleDestroyMenuDescriptor.
HOLEMENU WINAPI OleCreateMenuDescriptor(HMENU sharedMenu, LPOLEMENUGROUPWIDTHS widths);
HRESULT WINAPI OleDestroyMenuDescriptor(HOLEMENU descriptor);
// Installs the descriptor on the container's frame window, or removes it when descriptor is null.
// E_INVALIDARG when a descriptor is given for something that is no window or no descriptor.
HRESULT WINAPI OleSetMenuDescriptor(HOLEMENU descriptor, HWND frame, HWND activeObjectWindow,
                                    IOleInPlaceFrame* frameInterface, IOleInPlaceActiveObject* activeObject);
// True when the keystroke message is one of the table's accelerators: a virtual key of WM_KEYDOWN
// or WM_SYSKEYDOWN with the same Shift, Ctrl and Alt state, or a character of WM_CHAR or
// WM_SYSCHAR. At most entries entries of the table are looked at.
BOOL WINAPI IsAccelerator(HACCEL table, int entries, LPMSG message, WORD* command);
