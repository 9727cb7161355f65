// Embedded objects: IOleObject and the container's IOleClientSite, with their constants.
#pragma once

#include "platform/com/automation.h"
#include "platform/win32/user32.h"

struct SIZEL {
  LONG cx;
  LONG cy;
};
using LPSIZEL = SIZEL*;
struct POINTL {
  LONG x;
  LONG y;
};
struct RECTL {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPCRECTL = const RECTL*;
using LPMSG = MSG*;
using LPCRECT = const RECT*;
using LPRECT = RECT*;

// Interfaces that the methods name but that this runtime does not implement.
struct IMoniker;
struct IDataObject;
struct IEnumOLEVERB;
struct IAdviseSink;
struct IEnumSTATDATA;
struct IOleContainer;
struct LOGPALETTE;

// Drawing aspects.
constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD DVASPECT_THUMBNAIL = 2;
constexpr DWORD DVASPECT_ICON = 4;
constexpr DWORD DVASPECT_DOCPRINT = 8;

// OLEMISC: what an object asks of its container (GetMiscStatus).
constexpr DWORD OLEMISC_RECOMPOSEONRESIZE = 0x1;
constexpr DWORD OLEMISC_ONLYICONIC = 0x2;
constexpr DWORD OLEMISC_INSERTNOTREPLACE = 0x4;
constexpr DWORD OLEMISC_STATIC = 0x8;
constexpr DWORD OLEMISC_CANTLINKINSIDE = 0x10;
constexpr DWORD OLEMISC_CANLINKBYOLE1 = 0x20;
constexpr DWORD OLEMISC_ISLINKOBJECT = 0x40;
constexpr DWORD OLEMISC_INSIDEOUT = 0x80;
constexpr DWORD OLEMISC_ACTIVATEWHENVISIBLE = 0x100;
constexpr DWORD OLEMISC_RENDERINGISDEVICEINDEPENDENT = 0x200;
constexpr DWORD OLEMISC_INVISIBLEATRUNTIME = 0x400;
constexpr DWORD OLEMISC_ALWAYSRUN = 0x800;
constexpr DWORD OLEMISC_ACTSLIKEBUTTON = 0x1000;
constexpr DWORD OLEMISC_ACTSLIKELABEL = 0x2000;
constexpr DWORD OLEMISC_NOUIACTIVATE = 0x4000;
constexpr DWORD OLEMISC_ALIGNABLE = 0x8000;
constexpr DWORD OLEMISC_SIMPLEFRAME = 0x10000;
constexpr DWORD OLEMISC_SETCLIENTSITEFIRST = 0x20000;
constexpr DWORD OLEMISC_IMEMODE = 0x40000;
constexpr DWORD OLEMISC_IGNOREACTIVATEWHENVISIBLE = 0x80000;
constexpr DWORD OLEMISC_WANTSTOMENUMERGE = 0x100000;
constexpr DWORD OLEMISC_SUPPORTSMULTILEVELUNDO = 0x200000;

// Verbs of DoVerb.
constexpr LONG OLEIVERB_PRIMARY = 0;
constexpr LONG OLEIVERB_SHOW = -1;
constexpr LONG OLEIVERB_OPEN = -2;
constexpr LONG OLEIVERB_HIDE = -3;
constexpr LONG OLEIVERB_UIACTIVATE = -4;
constexpr LONG OLEIVERB_INPLACEACTIVATE = -5;
constexpr LONG OLEIVERB_DISCARDUNDOSTATE = -6;
constexpr LONG OLEIVERB_PROPERTIES = -7;

// Close.
constexpr DWORD OLECLOSE_SAVEIFDIRTY = 0;
constexpr DWORD OLECLOSE_NOSAVE = 1;
constexpr DWORD OLECLOSE_PROMPTSAVE = 2;

// Monikers (GetMoniker).
constexpr DWORD OLEGETMONIKER_ONLYIFTHERE = 1;
constexpr DWORD OLEGETMONIKER_FORCEASSIGN = 2;
constexpr DWORD OLEGETMONIKER_UNASSIGN = 3;
constexpr DWORD OLEGETMONIKER_TEMPFORUSER = 4;
constexpr DWORD OLEWHICHMK_CONTAINER = 1;
constexpr DWORD OLEWHICHMK_OBJREL = 2;
constexpr DWORD OLEWHICHMK_OBJFULL = 3;

// GetUserType.
constexpr DWORD USERCLASSTYPE_FULL = 1;
constexpr DWORD USERCLASSTYPE_SHORT = 2;
constexpr DWORD USERCLASSTYPE_APPNAME = 3;

// Status codes of objects.
constexpr HRESULT OLE_S_USEREG = 0x00040000;
constexpr HRESULT OLEOBJ_S_INVALIDVERB = 0x00040180;
constexpr HRESULT OLEOBJ_S_CANNOT_DOVERB_NOW = 0x00040181;

inline constexpr IID IID_IOleObject = {0x00000112, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IOleClientSite = {
    0x00000118, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IOleContainer = {0x0000011B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The container's side of an embedded object.
struct IOleClientSite : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SaveObject() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD whichMoniker, IMoniker** moniker) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) = 0;
  virtual HRESULT STDMETHODCALLTYPE ShowObject() = 0;
  virtual HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) = 0;
  virtual HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() = 0;
};
COM_INTERFACE_ID(IOleClientSite, IID_IOleClientSite);

// Extents are HIMETRIC (0.01 mm).
struct IOleObject : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR containerApplication, LPCOLESTR containerObject) = 0;
  virtual HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetMoniker(DWORD whichMoniker, IMoniker* moniker) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD whichMoniker, IMoniker** moniker) = 0;
  virtual HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) = 0;
  virtual HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG message, IOleClientSite* activeSite, LONG index,
                                           HWND parent, LPCRECT position) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) = 0;
  virtual HRESULT STDMETHODCALLTYPE Update() = 0;
  virtual HRESULT STDMETHODCALLTYPE IsUpToDate() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* classId) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetUserType(DWORD formOfType, LPOLESTR* userType) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetExtent(DWORD drawAspect, SIZEL* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetExtent(DWORD drawAspect, SIZEL* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) = 0;
  virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) = 0;
};
COM_INTERFACE_ID(IOleObject, IID_IOleObject);
