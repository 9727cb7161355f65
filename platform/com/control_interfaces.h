// ActiveX controls: IOleControl, the container's IOleControlSite and ISimpleFrameSite,
// IPerPropertyBrowsing, and the dispatch ids of stock properties, stock events and ambient
// properties.
#pragma once

#include "platform/com/in_place.h"

struct POINTF {
  FLOAT x;
  FLOAT y;
};

// Keyboard behaviour of a control (GetControlInfo); cb is the structure's size, set by the caller.
struct CONTROLINFO {
  ULONG cb;
  HACCEL hAccel;  // the control's mnemonics, owned by the control
  USHORT cAccel;
  DWORD dwFlags;
};
using LPCONTROLINFO = CONTROLINFO*;
constexpr DWORD CTRLINFO_EATS_RETURN = 1;
constexpr DWORD CTRLINFO_EATS_ESCAPE = 2;

// TransformCoords.
constexpr DWORD XFORMCOORDS_POSITION = 0x1;
constexpr DWORD XFORMCOORDS_SIZE = 0x2;
constexpr DWORD XFORMCOORDS_HIMETRICTOCONTAINER = 0x4;
constexpr DWORD XFORMCOORDS_CONTAINERTOHIMETRIC = 0x8;
constexpr DWORD XFORMCOORDS_EVENTCOMPAT = 0x10;

// IOleControlSite::TranslateAccelerator.
constexpr DWORD KEYMOD_SHIFT = 0x1;
constexpr DWORD KEYMOD_CONTROL = 0x2;
constexpr DWORD KEYMOD_ALT = 0x4;

struct CALPOLESTR {
  ULONG cElems;
  LPOLESTR* pElems;
};
struct CADWORD {
  ULONG cElems;
  DWORD* pElems;
};

inline constexpr IID IID_IOleControl = {0xB196B288, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IOleControlSite = {
    0xB196B289, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_ISimpleFrameSite = {
    0x742B0E01, 0x14E6, 0x101B, {0x91, 0x4E, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
inline constexpr IID IID_IPerPropertyBrowsing = {
    0x376BD3AA, 0x3845, 0x101B, {0x84, 0xED, 0x08, 0x00, 0x2B, 0x2E, 0xC7, 0x13}};

struct IOleControl : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* message) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) = 0;
  virtual HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) = 0;
};
COM_INTERFACE_ID(IOleControl, IID_IOleControl);

struct IOleControlSite : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE OnControlInfoChanged() = 0;
  virtual HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL lock) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** control) = 0;
  virtual HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message, DWORD modifiers) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnFocus(BOOL gotFocus) = 0;
  virtual HRESULT STDMETHODCALLTYPE ShowPropertyFrame() = 0;
};
COM_INTERFACE_ID(IOleControlSite, IID_IOleControlSite);

struct ISimpleFrameSite : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE PreMessageFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                     LRESULT* result, DWORD* cookie) = 0;
  virtual HRESULT STDMETHODCALLTYPE PostMessageFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                      LRESULT* result, DWORD cookie) = 0;
};
COM_INTERFACE_ID(ISimpleFrameSite, IID_ISimpleFrameSite);

struct IPerPropertyBrowsing : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetDisplayString(DISPID id, BSTR* text) = 0;
  virtual HRESULT STDMETHODCALLTYPE MapPropertyToPage(DISPID id, CLSID* page) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPredefinedStrings(DISPID id, CALPOLESTR* strings, CADWORD* cookies) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPredefinedValue(DISPID id, DWORD cookie, VARIANT* value) = 0;
};
COM_INTERFACE_ID(IPerPropertyBrowsing, IID_IPerPropertyBrowsing);

// Stock properties.
constexpr DISPID DISPID_AUTOSIZE = -500;
constexpr DISPID DISPID_BACKCOLOR = -501;
constexpr DISPID DISPID_BACKSTYLE = -502;
constexpr DISPID DISPID_BORDERCOLOR = -503;
constexpr DISPID DISPID_BORDERSTYLE = -504;
constexpr DISPID DISPID_BORDERWIDTH = -505;
constexpr DISPID DISPID_DRAWMODE = -507;
constexpr DISPID DISPID_DRAWSTYLE = -508;
constexpr DISPID DISPID_DRAWWIDTH = -509;
constexpr DISPID DISPID_FILLCOLOR = -510;
constexpr DISPID DISPID_FILLSTYLE = -511;
constexpr DISPID DISPID_FONT = -512;
constexpr DISPID DISPID_FORECOLOR = -513;
constexpr DISPID DISPID_ENABLED = -514;
constexpr DISPID DISPID_HWND = -515;
constexpr DISPID DISPID_TABSTOP = -516;
constexpr DISPID DISPID_TEXT = -517;
constexpr DISPID DISPID_CAPTION = -518;
constexpr DISPID DISPID_BORDERVISIBLE = -519;
constexpr DISPID DISPID_APPEARANCE = -520;
constexpr DISPID DISPID_MOUSEPOINTER = -521;
constexpr DISPID DISPID_MOUSEICON = -522;
constexpr DISPID DISPID_PICTURE = -523;
constexpr DISPID DISPID_VALID = -524;
constexpr DISPID DISPID_READYSTATE = -525;

// Stock events.
constexpr DISPID DISPID_CLICK = -600;
constexpr DISPID DISPID_DBLCLICK = -601;
constexpr DISPID DISPID_KEYDOWN = -602;
constexpr DISPID DISPID_KEYPRESS = -603;
constexpr DISPID DISPID_KEYUP = -604;
constexpr DISPID DISPID_MOUSEDOWN = -605;
constexpr DISPID DISPID_MOUSEMOVE = -606;
constexpr DISPID DISPID_MOUSEUP = -607;
constexpr DISPID DISPID_ERROREVENT = -608;
constexpr DISPID DISPID_READYSTATECHANGE = -609;

// Ambient properties: what a container tells its controls about their surroundings.
constexpr DISPID DISPID_AMBIENT_BACKCOLOR = -701;
constexpr DISPID DISPID_AMBIENT_DISPLAYNAME = -702;
constexpr DISPID DISPID_AMBIENT_FONT = -703;
constexpr DISPID DISPID_AMBIENT_FORECOLOR = -704;
constexpr DISPID DISPID_AMBIENT_LOCALEID = -705;
constexpr DISPID DISPID_AMBIENT_MESSAGEREFLECT = -706;
constexpr DISPID DISPID_AMBIENT_SCALEUNITS = -707;
constexpr DISPID DISPID_AMBIENT_TEXTALIGN = -708;
constexpr DISPID DISPID_AMBIENT_USERMODE = -709;
constexpr DISPID DISPID_AMBIENT_UIDEAD = -710;
constexpr DISPID DISPID_AMBIENT_SHOWGRABHANDLES = -711;
constexpr DISPID DISPID_AMBIENT_SHOWHATCHING = -712;
constexpr DISPID DISPID_AMBIENT_DISPLAYASDEFAULT = -713;
constexpr DISPID DISPID_AMBIENT_SUPPORTSMNEMONICS = -714;
constexpr DISPID DISPID_AMBIENT_AUTOCLIP = -715;
constexpr DISPID DISPID_AMBIENT_APPEARANCE = -716;
constexpr DISPID DISPID_AMBIENT_CODEPAGE = -725;
constexpr DISPID DISPID_AMBIENT_PALETTE = -726;
constexpr DISPID DISPID_AMBIENT_CHARSET = -727;

// Messages that a container reflects back to a control: OCM__BASE + the message.
constexpr UINT OCM__BASE = WM_USER + 0x1C00;
