// Drawing an object into a device context: IViewObject and OleDraw.
#pragma once

#include "platform/com/ole_object.h"
#include "platform/win32/painting.h"

struct DVTARGETDEVICE {
  DWORD tdSize;
  WORD tdDriverNameOffset;
  WORD tdDeviceNameOffset;
  WORD tdPortNameOffset;
  WORD tdExtDevmodeOffset;
  BYTE tdData[1];
};

constexpr HRESULT DV_E_NOIVIEWOBJECT = static_cast<HRESULT>(0x8004006D);
constexpr HRESULT VIEW_E_DRAW = static_cast<HRESULT>(0x80040140);

inline constexpr IID IID_IViewObject = {0x0000010D, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IViewObject : IUnknown {
  // bounds: the rectangle in hdcDraw's coordinates; continueDrawing may be null.
  virtual HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* targetDevice,
                                         HDC targetDeviceContext, HDC drawContext, LPCRECTL bounds,
                                         LPCRECTL windowBounds, BOOL(STDMETHODCALLTYPE* continueDrawing)(ULONG_PTR),
                                         ULONG_PTR continueValue) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetColorSet(DWORD aspect, LONG index, void* aspectInfo,
                                                DVTARGETDEVICE* targetDevice, HDC targetDeviceContext,
                                                LOGPALETTE** colorSet) = 0;
  virtual HRESULT STDMETHODCALLTYPE Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) = 0;
  virtual HRESULT STDMETHODCALLTYPE Unfreeze(DWORD freeze) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD adviseFlags, IAdviseSink* sink) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* adviseFlags, IAdviseSink** sink) = 0;
};
COM_INTERFACE_ID(IViewObject, IID_IViewObject);

// Draw(aspect, -1, null, null, null, dc, bounds as RECTL, null, null, 0) on the object's IViewObject;
// DV_E_NOIVIEWOBJECT when it has none, E_INVALIDARG without object or bounds.
HRESULT WINAPI OleDraw(IUnknown* object, DWORD aspect, HDC dc, LPCRECT bounds);
