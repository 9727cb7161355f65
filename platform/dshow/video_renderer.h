// The video renderer filter: takes RGB32 or RGB24 pictures, holds each on the delivering thread
// until the clock reaches its time (late ones are dropped), then hands it to its window
// (renderer_window.h), which paints it on the GUI thread. It wants pictures only while its window
// can be seen; while paused it holds the first picture of a segment as the one to show.
//
// video_renderer.cpp holds the filter and its frame timing, video_renderer_video.cpp IBasicVideo
// and IQualProp, video_renderer_window.cpp IVideoWindow.
#pragma once

#include <QRect>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/dshow/base_filter.h"
#include "platform/dshow/control_interfaces.h"
#include "platform/dshow/forwarding_input_pin.h"
#include "platform/dshow/renderer_window.h"

namespace dshow {

inline constexpr REFERENCE_TIME kUnknownSegmentLength = INT64_MAX / 8;

class VideoRenderer final : public BaseFilter,
                            public NoTypeInfo<IBasicVideo>,
                            public NoTypeInfo<IVideoWindow>,
                            public IQualProp,
                            private InputHandler {
 public:
  VideoRenderer();
  ~VideoRenderer() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return BaseFilter::QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return BaseFilter::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return BaseFilter::Release(); }

  // IBasicVideo
  HRESULT STDMETHODCALLTYPE get_AvgTimePerFrame(REFTIME* pAvgTimePerFrame) override;
  HRESULT STDMETHODCALLTYPE get_BitRate(LONG* pBitRate) override;
  HRESULT STDMETHODCALLTYPE get_BitErrorRate(LONG* pBitErrorRate) override;
  HRESULT STDMETHODCALLTYPE get_VideoWidth(LONG* pVideoWidth) override;
  HRESULT STDMETHODCALLTYPE get_VideoHeight(LONG* pVideoHeight) override;
  HRESULT STDMETHODCALLTYPE put_SourceLeft(LONG v) override { return SetSourcePart(0, v); }
  HRESULT STDMETHODCALLTYPE get_SourceLeft(LONG* v) override { return GetSourcePart(0, v); }
  HRESULT STDMETHODCALLTYPE put_SourceWidth(LONG v) override { return SetSourcePart(2, v); }
  HRESULT STDMETHODCALLTYPE get_SourceWidth(LONG* v) override { return GetSourcePart(2, v); }
  HRESULT STDMETHODCALLTYPE put_SourceTop(LONG v) override { return SetSourcePart(1, v); }
  HRESULT STDMETHODCALLTYPE get_SourceTop(LONG* v) override { return GetSourcePart(1, v); }
  HRESULT STDMETHODCALLTYPE put_SourceHeight(LONG v) override { return SetSourcePart(3, v); }
  HRESULT STDMETHODCALLTYPE get_SourceHeight(LONG* v) override { return GetSourcePart(3, v); }
  HRESULT STDMETHODCALLTYPE put_DestinationLeft(LONG v) override { return SetDestinationPart(0, v); }
  HRESULT STDMETHODCALLTYPE get_DestinationLeft(LONG* v) override { return GetDestinationPart(0, v); }
  HRESULT STDMETHODCALLTYPE put_DestinationWidth(LONG v) override { return SetDestinationPart(2, v); }
  HRESULT STDMETHODCALLTYPE get_DestinationWidth(LONG* v) override { return GetDestinationPart(2, v); }
  HRESULT STDMETHODCALLTYPE put_DestinationTop(LONG v) override { return SetDestinationPart(1, v); }
  HRESULT STDMETHODCALLTYPE get_DestinationTop(LONG* v) override { return GetDestinationPart(1, v); }
  HRESULT STDMETHODCALLTYPE put_DestinationHeight(LONG v) override { return SetDestinationPart(3, v); }
  HRESULT STDMETHODCALLTYPE get_DestinationHeight(LONG* v) override { return GetDestinationPart(3, v); }
  HRESULT STDMETHODCALLTYPE SetSourcePosition(LONG Left, LONG Top, LONG Width, LONG Height) override;
  HRESULT STDMETHODCALLTYPE GetSourcePosition(LONG* pLeft, LONG* pTop, LONG* pWidth, LONG* pHeight) override;
  HRESULT STDMETHODCALLTYPE SetDefaultSourcePosition() override;
  HRESULT STDMETHODCALLTYPE SetDestinationPosition(LONG Left, LONG Top, LONG Width, LONG Height) override;
  HRESULT STDMETHODCALLTYPE GetDestinationPosition(LONG* pLeft, LONG* pTop, LONG* pWidth, LONG* pHeight) override;
  HRESULT STDMETHODCALLTYPE SetDefaultDestinationPosition() override;
  HRESULT STDMETHODCALLTYPE GetVideoSize(LONG* pWidth, LONG* pHeight) override;
  HRESULT STDMETHODCALLTYPE GetVideoPaletteEntries(LONG, LONG, LONG* pRetrieved, LONG* pPalette) override;
  HRESULT STDMETHODCALLTYPE GetCurrentImage(LONG* pBufferSize, LONG* pDIBImage) override;
  HRESULT STDMETHODCALLTYPE IsUsingDefaultSource() override;
  HRESULT STDMETHODCALLTYPE IsUsingDefaultDestination() override;

  // IVideoWindow
  HRESULT STDMETHODCALLTYPE put_Caption(BSTR strCaption) override;
  HRESULT STDMETHODCALLTYPE get_Caption(BSTR* strCaption) override;
  HRESULT STDMETHODCALLTYPE put_WindowStyle(LONG WindowStyle) override;
  HRESULT STDMETHODCALLTYPE get_WindowStyle(LONG* WindowStyle) override;
  HRESULT STDMETHODCALLTYPE put_WindowStyleEx(LONG WindowStyleEx) override;
  HRESULT STDMETHODCALLTYPE get_WindowStyleEx(LONG* WindowStyleEx) override;
  HRESULT STDMETHODCALLTYPE put_AutoShow(LONG AutoShow) override;
  HRESULT STDMETHODCALLTYPE get_AutoShow(LONG* AutoShow) override;
  HRESULT STDMETHODCALLTYPE put_WindowState(LONG WindowState) override;
  HRESULT STDMETHODCALLTYPE get_WindowState(LONG* WindowState) override;
  HRESULT STDMETHODCALLTYPE put_BackgroundPalette(LONG pBackgroundPalette) override;
  HRESULT STDMETHODCALLTYPE get_BackgroundPalette(LONG* pBackgroundPalette) override;
  HRESULT STDMETHODCALLTYPE put_Visible(LONG Visible) override;
  HRESULT STDMETHODCALLTYPE get_Visible(LONG* pVisible) override;
  HRESULT STDMETHODCALLTYPE put_Left(LONG Left) override { return SetWindowPart(0, Left); }
  HRESULT STDMETHODCALLTYPE get_Left(LONG* pLeft) override { return GetWindowPart(0, pLeft); }
  HRESULT STDMETHODCALLTYPE put_Width(LONG Width) override { return SetWindowPart(2, Width); }
  HRESULT STDMETHODCALLTYPE get_Width(LONG* pWidth) override { return GetWindowPart(2, pWidth); }
  HRESULT STDMETHODCALLTYPE put_Top(LONG Top) override { return SetWindowPart(1, Top); }
  HRESULT STDMETHODCALLTYPE get_Top(LONG* pTop) override { return GetWindowPart(1, pTop); }
  HRESULT STDMETHODCALLTYPE put_Height(LONG Height) override { return SetWindowPart(3, Height); }
  HRESULT STDMETHODCALLTYPE get_Height(LONG* pHeight) override { return GetWindowPart(3, pHeight); }
  HRESULT STDMETHODCALLTYPE put_Owner(OAHWND Owner) override;
  HRESULT STDMETHODCALLTYPE get_Owner(OAHWND* Owner) override;
  HRESULT STDMETHODCALLTYPE put_MessageDrain(OAHWND Drain) override;
  HRESULT STDMETHODCALLTYPE get_MessageDrain(OAHWND* Drain) override;
  HRESULT STDMETHODCALLTYPE get_BorderColor(LONG* Color) override;
  HRESULT STDMETHODCALLTYPE put_BorderColor(LONG Color) override;
  HRESULT STDMETHODCALLTYPE get_FullScreenMode(LONG* FullScreenMode) override;
  HRESULT STDMETHODCALLTYPE put_FullScreenMode(LONG FullScreenMode) override;
  HRESULT STDMETHODCALLTYPE SetWindowForeground(LONG Focus) override;
  HRESULT STDMETHODCALLTYPE NotifyOwnerMessage(OAHWND hwnd, LONG uMsg, LONG_PTR wParam, LONG_PTR lParam) override;
  HRESULT STDMETHODCALLTYPE SetWindowPosition(LONG Left, LONG Top, LONG Width, LONG Height) override;
  HRESULT STDMETHODCALLTYPE GetWindowPosition(LONG* pLeft, LONG* pTop, LONG* pWidth, LONG* pHeight) override;
  HRESULT STDMETHODCALLTYPE GetMinIdealImageSize(LONG* pWidth, LONG* pHeight) override;
  HRESULT STDMETHODCALLTYPE GetMaxIdealImageSize(LONG* pWidth, LONG* pHeight) override;
  HRESULT STDMETHODCALLTYPE GetRestorePosition(LONG* pLeft, LONG* pTop, LONG* pWidth, LONG* pHeight) override;
  HRESULT STDMETHODCALLTYPE HideCursor(LONG HideCursor) override;
  HRESULT STDMETHODCALLTYPE IsCursorHidden(LONG* CursorHidden) override;

  // IQualProp
  HRESULT STDMETHODCALLTYPE get_FramesDroppedInRenderer(int* pcFrames) override;
  HRESULT STDMETHODCALLTYPE get_FramesDrawn(int* pcFramesDrawn) override;
  HRESULT STDMETHODCALLTYPE get_AvgFrameRate(int* piAvgFrameRate) override;
  HRESULT STDMETHODCALLTYPE get_Jitter(int* iJitter) override;
  HRESULT STDMETHODCALLTYPE get_AvgSyncOffset(int* piAvg) override;
  HRESULT STDMETHODCALLTYPE get_DevSyncOffset(int* piDev) override;

  std::vector<BasePin*> Pins() override { return {&input_}; }

 private:
  // The input pin's calls: the frame queue and its timing.
  HRESULT CheckInputType(const AM_MEDIA_TYPE& mt) override;
  HRESULT OnInputConnected(const MediaType& type) override;
  HRESULT OnReceive(IMediaSample* sample) override;
  HRESULT OnEndOfStream() override;
  HRESULT OnBeginFlush() override;
  HRESULT OnEndFlush() override;
  HRESULT OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
  bool InputWantsFrames() override { return FramesWanted(); }
  bool FramesWanted() const { return shared_->Visible(); }

  HRESULT QueryExtra(REFIID riid, void** object) override;
  HRESULT OnPause(FILTER_STATE from) override;
  HRESULT OnRun(REFERENCE_TIME start, FILTER_STATE from) override;
  void OnStop() override;
  HRESULT WaitForState(DWORD milliseconds) override;

  void Show(IMediaSample* sample, REFERENCE_TIME stop);
  bool StreamTime(REFERENCE_TIME& now) const;
  void OnWindowEvent(LONG code);
  // Runs on the GUI thread with the window (made when needed); fails when it cannot be made.
  HRESULT WithWindow(const std::function<HRESULT(HWND)>& action);
  HRESULT SetSourcePart(int part, LONG value);
  HRESULT GetSourcePart(int part, LONG* value);
  HRESULT SetDestinationPart(int part, LONG value);
  HRESULT GetDestinationPart(int part, LONG* value);
  HRESULT SetWindowPart(int part, LONG value);
  HRESULT GetWindowPart(int part, LONG* value);
  bool IsConnected() const { return input_.IsConnected(); }

  ForwardingInputPin input_;
  const std::shared_ptr<RendererShared> shared_ = std::make_shared<RendererShared>();

  // Set on connection:
  std::mutex formatLock_;
  MediaType format_;  // guarded by formatLock_

  // GUI-side settings of the window, used on the GUI thread only:
  OAHWND owner_ = 0;
  LONG autoShow_ = OATRUE;
  LONG backgroundPalette_ = OAFALSE;
  LONG borderColor_ = 0;
  LONG cursorHidden_ = OAFALSE;

  mutable std::mutex lock_;
  std::condition_variable changed_;
  // Guarded by lock_:
  bool active_ = false;
  bool running_ = false;
  bool flushing_ = false;
  bool cued_ = false;
  bool endOfStream_ = false;
  REFERENCE_TIME lastStop_ = 0;
  REFERENCE_TIME segmentLength_ = kUnknownSegmentLength;
  std::atomic<int> framesDrawn_{0};
  std::atomic<int> framesDropped_{0};
};

// One side (0 left, 1 top, 2 width, 3 height) of a rectangle, and the rectangle with it changed.
LONG RectPart(const QRect& r, int part);
QRect WithRectPart(QRect r, int part, LONG value);

}  // namespace dshow
