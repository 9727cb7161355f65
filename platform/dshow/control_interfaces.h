// The automation interfaces a player uses on the filter graph: control, events, the video window,
// video and audio properties and rendering statistics, with the SDK's identifiers and slot order.
#pragma once

#include "platform/dshow/filter_interfaces.h"

using OAFilterState = LONG;
using OAHWND = LONG_PTR;
using OAEVENT = LONG_PTR;
constexpr LONG OATRUE = -1;
constexpr LONG OAFALSE = 0;

// IMediaEventEx::SetNotifyFlags.
constexpr LONG AM_MEDIAEVENT_NONOTIFY = 0x01;

inline constexpr IID IID_IMediaControl = {0x56A868B1, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_IMediaEvent = {0x56A868B6, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_IMediaEventEx = {0x56A868C0, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_IBasicAudio = {0x56A868B3, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_IVideoWindow = {0x56A868B4, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_IBasicVideo = {0x56A868B5, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_IQualProp = {0x1BD0ECB0, 0xF8E2, 0x11CE, {0xAA, 0xC6, 0x00, 0x20, 0xAF, 0x0B, 0x99, 0xA3}};

struct IMediaControl : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE Run() = 0;
  virtual HRESULT STDMETHODCALLTYPE Pause() = 0;
  virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetState(LONG msTimeout, OAFilterState* pfs) = 0;
  virtual HRESULT STDMETHODCALLTYPE RenderFile(BSTR strFilename) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddSourceFilter(BSTR strFilename, IDispatch** ppUnk) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_FilterCollection(IDispatch** ppUnk) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RegFilterCollection(IDispatch** ppUnk) = 0;
  virtual HRESULT STDMETHODCALLTYPE StopWhenReady() = 0;
};
COM_INTERFACE_ID(IMediaControl, IID_IMediaControl);

struct IMediaEvent : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE GetEventHandle(OAEVENT* hEvent) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetEvent(LONG* lEventCode, LONG_PTR* lParam1, LONG_PTR* lParam2,
                                             LONG msTimeout) = 0;
  virtual HRESULT STDMETHODCALLTYPE WaitForCompletion(LONG msTimeout, LONG* pEvCode) = 0;
  virtual HRESULT STDMETHODCALLTYPE CancelDefaultHandling(LONG lEvCode) = 0;
  virtual HRESULT STDMETHODCALLTYPE RestoreDefaultHandling(LONG lEvCode) = 0;
  virtual HRESULT STDMETHODCALLTYPE FreeEventParams(LONG lEvCode, LONG_PTR lParam1, LONG_PTR lParam2) = 0;
};
COM_INTERFACE_ID(IMediaEvent, IID_IMediaEvent);

struct IMediaEventEx : IMediaEvent {
  virtual HRESULT STDMETHODCALLTYPE SetNotifyWindow(OAHWND hwnd, LONG lMsg, LONG_PTR lInstanceData) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetNotifyFlags(LONG lNoNotifyFlags) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetNotifyFlags(LONG* lplNoNotifyFlags) = 0;
};
COM_INTERFACE_ID(IMediaEventEx, IID_IMediaEventEx);

// Volume in hundredths of a decibel (-10000 silence to 0 full), balance from -10000 (left) to 10000 (right).
struct IBasicAudio : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE put_Volume(LONG lVolume) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Volume(LONG* plVolume) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Balance(LONG lBalance) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Balance(LONG* plBalance) = 0;
};
COM_INTERFACE_ID(IBasicAudio, IID_IBasicAudio);

struct IVideoWindow : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE put_Caption(BSTR strCaption) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Caption(BSTR* strCaption) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_WindowStyle(LONG WindowStyle) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_WindowStyle(LONG* WindowStyle) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_WindowStyleEx(LONG WindowStyleEx) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_WindowStyleEx(LONG* WindowStyleEx) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_AutoShow(LONG AutoShow) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AutoShow(LONG* AutoShow) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_WindowState(LONG WindowState) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_WindowState(LONG* WindowState) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_BackgroundPalette(LONG pBackgroundPalette) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_BackgroundPalette(LONG* pBackgroundPalette) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Visible(LONG Visible) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Visible(LONG* pVisible) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Left(LONG Left) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Left(LONG* pLeft) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Width(LONG Width) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Width(LONG* pWidth) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Top(LONG Top) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Top(LONG* pTop) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Height(LONG Height) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Height(LONG* pHeight) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Owner(OAHWND Owner) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Owner(OAHWND* Owner) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_MessageDrain(OAHWND Drain) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_MessageDrain(OAHWND* Drain) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_BorderColor(LONG* Color) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_BorderColor(LONG Color) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_FullScreenMode(LONG* FullScreenMode) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_FullScreenMode(LONG FullScreenMode) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetWindowForeground(LONG Focus) = 0;
  virtual HRESULT STDMETHODCALLTYPE NotifyOwnerMessage(OAHWND hwnd, LONG uMsg, LONG_PTR wParam, LONG_PTR lParam) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetWindowPosition(LONG Left, LONG Top, LONG Width, LONG Height) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetWindowPosition(LONG* pLeft, LONG* pTop, LONG* pWidth, LONG* pHeight) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMinIdealImageSize(LONG* pWidth, LONG* pHeight) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMaxIdealImageSize(LONG* pWidth, LONG* pHeight) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRestorePosition(LONG* pLeft, LONG* pTop, LONG* pWidth, LONG* pHeight) = 0;
  virtual HRESULT STDMETHODCALLTYPE HideCursor(LONG HideCursor) = 0;
  virtual HRESULT STDMETHODCALLTYPE IsCursorHidden(LONG* CursorHidden) = 0;
};
COM_INTERFACE_ID(IVideoWindow, IID_IVideoWindow);

struct IBasicVideo : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE get_AvgTimePerFrame(REFTIME* pAvgTimePerFrame) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_BitRate(LONG* pBitRate) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_BitErrorRate(LONG* pBitErrorRate) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_VideoWidth(LONG* pVideoWidth) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_VideoHeight(LONG* pVideoHeight) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_SourceLeft(LONG SourceLeft) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SourceLeft(LONG* pSourceLeft) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_SourceWidth(LONG SourceWidth) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SourceWidth(LONG* pSourceWidth) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_SourceTop(LONG SourceTop) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SourceTop(LONG* pSourceTop) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_SourceHeight(LONG SourceHeight) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SourceHeight(LONG* pSourceHeight) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DestinationLeft(LONG DestinationLeft) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DestinationLeft(LONG* pDestinationLeft) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DestinationWidth(LONG DestinationWidth) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DestinationWidth(LONG* pDestinationWidth) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DestinationTop(LONG DestinationTop) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DestinationTop(LONG* pDestinationTop) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DestinationHeight(LONG DestinationHeight) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DestinationHeight(LONG* pDestinationHeight) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetSourcePosition(LONG Left, LONG Top, LONG Width, LONG Height) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSourcePosition(LONG* pLeft, LONG* pTop, LONG* pWidth, LONG* pHeight) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetDefaultSourcePosition() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetDestinationPosition(LONG Left, LONG Top, LONG Width, LONG Height) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDestinationPosition(LONG* pLeft, LONG* pTop, LONG* pWidth, LONG* pHeight) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetDefaultDestinationPosition() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVideoSize(LONG* pWidth, LONG* pHeight) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVideoPaletteEntries(LONG StartIndex, LONG Entries, LONG* pRetrieved,
                                                           LONG* pPalette) = 0;
  // A packed DIB: BITMAPINFOHEADER followed by the pixels. Null pDIBImage asks for the size.
  virtual HRESULT STDMETHODCALLTYPE GetCurrentImage(LONG* pBufferSize, LONG* pDIBImage) = 0;
  virtual HRESULT STDMETHODCALLTYPE IsUsingDefaultSource() = 0;
  virtual HRESULT STDMETHODCALLTYPE IsUsingDefaultDestination() = 0;
};
COM_INTERFACE_ID(IBasicVideo, IID_IBasicVideo);

// Rendering statistics of a video renderer.
struct IQualProp : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_FramesDroppedInRenderer(int* pcFrames) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_FramesDrawn(int* pcFramesDrawn) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AvgFrameRate(int* piAvgFrameRate) = 0;  // frames per 100 seconds
  virtual HRESULT STDMETHODCALLTYPE get_Jitter(int* iJitter) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AvgSyncOffset(int* piAvg) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DevSyncOffset(int* piDev) = 0;
};
COM_INTERFACE_ID(IQualProp, IID_IQualProp);
