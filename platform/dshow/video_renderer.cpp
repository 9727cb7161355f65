// The video renderer: takes RGB32 or RGB24 pictures, holds each on the delivering thread until the
// clock reaches its time (late ones are dropped), then hands it to its window, which paints it on
// the GUI thread. It wants pictures only while its window can be seen; while paused it holds the
// first picture of a segment as the one to show.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <QApplication>
#include <QWidget>

#include "platform/dshow/base_filter.h"
#include "platform/dshow/class_ids.h"
#include "platform/dshow/control_interfaces.h"
#include "platform/dshow/event_codes.h"
#include "platform/dshow/filter_factories.h"
#include "platform/dshow/renderer_window.h"

namespace dshow {
namespace {

constexpr auto kWaitSlice = std::chrono::milliseconds(20);
constexpr REFERENCE_TIME kUnknownLength = INT64_MAX / 8;

class VideoRenderer;

class VideoInput final : public DemandInputPin {
 public:
  explicit VideoInput(VideoRenderer& owner);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
  HRESULT STDMETHODCALLTYPE Receive(IMediaSample* pSample) override;
  HRESULT STDMETHODCALLTYPE EndOfStream() override;
  HRESULT STDMETHODCALLTYPE BeginFlush() override;
  HRESULT STDMETHODCALLTYPE EndFlush() override;
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;
  BOOL STDMETHODCALLTYPE FramesWanted() override;

 protected:
  HRESULT CompleteConnect(IPin* peer) override;
  void BreakConnect() override;

 private:
  VideoRenderer& owner_;
};

class VideoRenderer final : public BaseFilter,
                            public NoTypeInfo<IBasicVideo>,
                            public NoTypeInfo<IVideoWindow>,
                            public IQualProp {
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

  // Input pin.
  HRESULT Render(IMediaSample* sample);
  HRESULT EndOfStream();
  void BeginFlush();
  void EndFlush();
  void NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop);
  void Connected(const MediaType& type);
  bool FramesWanted() const { return shared_->Visible(); }

 private:
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

  VideoInput input_;
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
  REFERENCE_TIME segmentLength_ = kUnknownLength;
  std::atomic<int> framesDrawn_{0};
  std::atomic<int> framesDropped_{0};
};

VideoInput::VideoInput(VideoRenderer& owner) : DemandInputPin(owner, u"Input"), owner_(owner) {}

HRESULT VideoInput::CheckMediaType(const AM_MEDIA_TYPE& mt) {
  if (mt.majortype != MEDIATYPE_Video || (mt.subtype != MEDIASUBTYPE_RGB32 && mt.subtype != MEDIASUBTYPE_RGB24))
    return S_FALSE;
  const BITMAPINFOHEADER* header = BitmapHeaderOf(mt);
  if (!header || header->biWidth <= 0 || header->biHeight == 0 || header->biCompression != BI_RGB ||
      header->biBitCount != (mt.subtype == MEDIASUBTYPE_RGB32 ? 32 : 24))
    return S_FALSE;
  return S_OK;
}

HRESULT VideoInput::CompleteConnect(IPin*) {
  owner_.Connected(ConnectionType());
  return S_OK;
}
void VideoInput::BreakConnect() { InputPin::BreakConnect(); }
HRESULT VideoInput::Receive(IMediaSample* pSample) { return owner_.Render(pSample); }
HRESULT VideoInput::EndOfStream() { return owner_.EndOfStream(); }
HRESULT VideoInput::BeginFlush() {
  owner_.BeginFlush();
  return S_OK;
}
HRESULT VideoInput::EndFlush() {
  owner_.EndFlush();
  return S_OK;
}
HRESULT VideoInput::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double) {
  owner_.NewSegment(tStart, tStop);
  return S_OK;
}
BOOL VideoInput::FramesWanted() { return owner_.FramesWanted() ? TRUE : FALSE; }

VideoRenderer::VideoRenderer() : BaseFilter(CLSID_VideoRenderer), input_(*this) {
  shared_->SetEventSink([this](LONG code) { OnWindowEvent(code); });
  // The window belongs to the GUI thread: made there now, or by the next message it handles.
  std::shared_ptr<RendererShared> shared = shared_;
  if (OnGuiThread())
    RendererShared::EnsureWindow(shared);
  else
    PostToGuiThread([shared] { RendererShared::EnsureWindow(shared); });
}

VideoRenderer::~VideoRenderer() {
  Stop();
  shared_->Abandon();
  HWND window = shared_->Window();
  if (!window) return;
  if (OnGuiThread())
    DestroyWindow(window);
  else
    PostToGuiThread([window] {
      if (IsWindow(window)) DestroyWindow(window);
    });
}

HRESULT VideoRenderer::QueryExtra(REFIID riid, void** object) {
  if (riid == IID_IBasicVideo || riid == IID_IDispatch) return Hand(static_cast<IBasicVideo*>(this), object);
  if (riid == IID_IVideoWindow) return Hand(static_cast<IVideoWindow*>(this), object);
  if (riid == IID_IQualProp) return Hand(static_cast<IQualProp*>(this), object);
  return E_NOINTERFACE;
}

void VideoRenderer::OnWindowEvent(LONG code) {
  const LONG_PTR self = reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this));
  if (code == EC_REPAINT) {
    // A picture is needed again: while paused the graph seeks to the same place to get one.
    if (State() == State_Paused && IsConnected())
      NotifyEvent(EC_REPAINT, reinterpret_cast<LONG_PTR>(static_cast<IPin*>(&input_)), 0);
    return;
  }
  NotifyEvent(code, self, 0);
}

void VideoRenderer::Connected(const MediaType& type) {
  const BITMAPINFOHEADER* header = type.BitmapHeader();
  {
    std::lock_guard lock(formatLock_);
    format_ = type;
  }
  if (!header) return;
  const int width = header->biWidth;
  const int height = std::abs(header->biHeight);
  shared_->SetVideoSize(width, height);
  // A window nobody has placed yet takes the video's size, as it would at connection.
  std::shared_ptr<RendererShared> shared = shared_;
  auto resize = [shared, width, height] {
    HWND window = RendererShared::EnsureWindow(shared);
    QWidget* widget = win32::WidgetFromHandle(window);
    if (widget && widget->isWindow() && !widget->isVisible()) widget->resize(width, height);
  };
  if (OnGuiThread())
    resize();
  else
    PostToGuiThread(resize);
}

// ---- streaming ----

bool VideoRenderer::StreamTime(REFERENCE_TIME& now) const { return StreamTimeNow(now); }

void VideoRenderer::Show(IMediaSample* sample, REFERENCE_TIME stop) {
  MediaType type;
  {
    std::lock_guard lock(formatLock_);
    type = format_;
  }
  const BITMAPINFOHEADER* header = type.BitmapHeader();
  BYTE* bits = nullptr;
  if (!header || FAILED(sample->GetPointer(&bits)) || !bits) return;
  const int width = header->biWidth;
  const int height = std::abs(header->biHeight);
  const int stride = static_cast<int>(win32::DibRowBytes(width, header->biBitCount));
  if (sample->GetActualDataLength() < stride * height) return;
  shared_->Publish(bits, width, height, stride, header->biHeight > 0, type->subtype == MEDIASUBTYPE_RGB32);
  shared_->RequestPaint();
  framesDrawn_.fetch_add(1, std::memory_order_relaxed);
  lastStop_ = std::max(lastStop_, stop);
}

HRESULT VideoRenderer::Render(IMediaSample* sample) {
  if (!sample) return E_POINTER;
  if (State() == State_Stopped) return VFW_E_WRONG_STATE;
  REFERENCE_TIME start = 0, stop = 0;
  const bool timed = SUCCEEDED(sample->GetTime(&start, &stop));
  std::unique_lock lock(lock_);
  bool poster = false;
  for (;;) {
    if (flushing_ || !active_) return S_FALSE;
    if (endOfStream_) return VFW_E_SAMPLE_REJECTED_EOS;
    if (!running_) {
      // Paused: the first picture of the segment is shown at once and held.
      if (!cued_) {
        Show(sample, stop);
        poster = true;
        cued_ = true;
        changed_.notify_all();
      }
      changed_.wait(lock);
      continue;
    }
    REFERENCE_TIME now = 0;
    if (!timed || !StreamTime(now) || start <= now) {
      if (!poster) {
        if (timed && stop < now) {
          framesDropped_.fetch_add(1, std::memory_order_relaxed);
          lastStop_ = std::max(lastStop_, stop);
        } else {
          Show(sample, stop);
        }
      }
      return S_OK;
    }
    const auto wait = std::min<std::chrono::microseconds>(kWaitSlice, std::chrono::microseconds((start - now) / 10));
    changed_.wait_for(lock, wait);
  }
}

HRESULT VideoRenderer::EndOfStream() {
  std::unique_lock lock(lock_);
  if (flushing_ || !active_) return S_OK;
  endOfStream_ = true;
  cued_ = true;
  changed_.notify_all();
  // Complete once the clock has passed the end: the last picture's, or, while nobody can see the
  // window (no pictures were decoded, so nothing tells when they would have ended), the segment's.
  REFERENCE_TIME end = lastStop_;
  if (!FramesWanted() && segmentLength_ < kUnknownLength) end = std::max(end, segmentLength_);
  for (;;) {
    if (flushing_ || !active_ || !endOfStream_) return S_OK;
    REFERENCE_TIME now = 0;
    if (running_ && StreamTime(now) && now >= end) break;
    const auto wait =
        running_ ? std::min<std::chrono::microseconds>(kWaitSlice, std::chrono::microseconds((end - now) / 10 + 1))
                 : std::chrono::microseconds(kWaitSlice);
    changed_.wait_for(lock, wait);
  }
  lock.unlock();
  NotifyEvent(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
  return S_OK;
}

void VideoRenderer::BeginFlush() {
  {
    std::lock_guard lock(lock_);
    flushing_ = true;
    cued_ = false;
    endOfStream_ = false;
    lastStop_ = 0;
  }
  changed_.notify_all();
}

void VideoRenderer::EndFlush() {
  std::lock_guard lock(lock_);
  flushing_ = false;
}

void VideoRenderer::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop) {
  std::lock_guard lock(lock_);
  segmentLength_ = stop > start ? stop - start : kUnknownLength;
}

HRESULT VideoRenderer::OnPause(FILTER_STATE from) {
  {
    std::lock_guard lock(lock_);
    if (from == State_Stopped) {
      active_ = true;
      cued_ = endOfStream_ = false;
      lastStop_ = 0;
    }
    running_ = false;
  }
  changed_.notify_all();
  if (from == State_Stopped) {
    std::shared_ptr<RendererShared> shared = shared_;
    const bool autoShow = autoShow_ != OAFALSE;
    PostToGuiThread([shared, autoShow] {
      HWND window = RendererShared::EnsureWindow(shared);
      if (autoShow && window && !IsWindowVisible(window)) ShowWindow(window, SW_SHOWNOACTIVATE);
    });
  }
  return S_OK;
}

HRESULT VideoRenderer::OnRun(REFERENCE_TIME, FILTER_STATE) {
  {
    std::lock_guard lock(lock_);
    running_ = true;
  }
  changed_.notify_all();
  return S_OK;
}

void VideoRenderer::OnStop() {
  {
    std::lock_guard lock(lock_);
    active_ = running_ = false;
  }
  changed_.notify_all();
}

HRESULT VideoRenderer::WaitForState(DWORD milliseconds) {
  if (State() != State_Paused) return S_OK;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds == INFINITE ? 0 : milliseconds);
  std::unique_lock lock(lock_);
  for (;;) {
    // A renderer nobody can see has nothing to show, and so is ready.
    if (cued_ || !active_ || !FramesWanted() || !IsConnected()) return S_OK;
    if (milliseconds != INFINITE && std::chrono::steady_clock::now() >= deadline) return VFW_S_STATE_INTERMEDIATE;
    changed_.wait_for(lock, kWaitSlice);
  }
}

// ---- IQualProp ----

HRESULT VideoRenderer::get_FramesDroppedInRenderer(int* pcFrames) {
  if (!pcFrames) return E_POINTER;
  *pcFrames = framesDropped_.load();
  return S_OK;
}
HRESULT VideoRenderer::get_FramesDrawn(int* pcFramesDrawn) {
  if (!pcFramesDrawn) return E_POINTER;
  *pcFramesDrawn = framesDrawn_.load();
  return S_OK;
}
HRESULT VideoRenderer::get_AvgFrameRate(int* piAvgFrameRate) {
  if (!piAvgFrameRate) return E_POINTER;
  std::lock_guard lock(formatLock_);
  const REFERENCE_TIME frameTime = format_.AvgTimePerFrame();
  *piAvgFrameRate = frameTime > 0 ? static_cast<int>(100 * UNITS / frameTime) : 0;
  return S_OK;
}
HRESULT VideoRenderer::get_Jitter(int* iJitter) {
  if (!iJitter) return E_POINTER;
  *iJitter = 0;
  return S_OK;
}
HRESULT VideoRenderer::get_AvgSyncOffset(int* piAvg) {
  if (!piAvg) return E_POINTER;
  *piAvg = 0;
  return S_OK;
}
HRESULT VideoRenderer::get_DevSyncOffset(int* piDev) {
  if (!piDev) return E_POINTER;
  *piDev = 0;
  return S_OK;
}

// ---- IBasicVideo ----

HRESULT VideoRenderer::get_AvgTimePerFrame(REFTIME* pAvgTimePerFrame) {
  if (!pAvgTimePerFrame) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  std::lock_guard lock(formatLock_);
  *pAvgTimePerFrame = static_cast<double>(format_.AvgTimePerFrame()) / UNITS;
  return S_OK;
}

HRESULT VideoRenderer::get_BitRate(LONG* pBitRate) {
  if (!pBitRate) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  std::lock_guard lock(formatLock_);
  *pBitRate = format_.BitmapHeader()
                  ? static_cast<LONG>(reinterpret_cast<const VIDEOINFOHEADER*>(format_->pbFormat)->dwBitRate)
                  : 0;
  return S_OK;
}

HRESULT VideoRenderer::get_BitErrorRate(LONG* pBitErrorRate) {
  if (!pBitErrorRate) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  *pBitErrorRate = 0;
  return S_OK;
}

HRESULT VideoRenderer::GetVideoSize(LONG* pWidth, LONG* pHeight) {
  if (!pWidth || !pHeight) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  std::lock_guard lock(formatLock_);
  const BITMAPINFOHEADER* header = format_.BitmapHeader();
  *pWidth = header ? header->biWidth : 0;
  *pHeight = header ? std::abs(header->biHeight) : 0;
  return S_OK;
}

HRESULT VideoRenderer::get_VideoWidth(LONG* pVideoWidth) {
  LONG height;
  return pVideoWidth ? GetVideoSize(pVideoWidth, &height) : E_POINTER;
}

HRESULT VideoRenderer::get_VideoHeight(LONG* pVideoHeight) {
  LONG width;
  return pVideoHeight ? GetVideoSize(&width, pVideoHeight) : E_POINTER;
}

namespace {
LONG PartOf(const QRect& r, int part) {
  switch (part) {
    case 0: return r.left();
    case 1: return r.top();
    case 2: return r.width();
    default: return r.height();
  }
}
QRect WithPart(QRect r, int part, LONG value) {
  switch (part) {
    case 0: r.moveLeft(value); break;
    case 1: r.moveTop(value); break;
    case 2: r.setWidth(value); break;
    default: r.setHeight(value); break;
  }
  return r;
}
}  // namespace

HRESULT VideoRenderer::SetSourcePosition(LONG Left, LONG Top, LONG Width, LONG Height) {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  LONG videoWidth, videoHeight;
  GetVideoSize(&videoWidth, &videoHeight);
  if (Left < 0 || Top < 0 || Width <= 0 || Height <= 0 || Left + Width > videoWidth || Top + Height > videoHeight)
    return E_INVALIDARG;
  shared_->SetSource(QRect(Left, Top, Width, Height));
  shared_->RequestPaint();
  return S_OK;
}

HRESULT VideoRenderer::GetSourcePosition(LONG* pLeft, LONG* pTop, LONG* pWidth, LONG* pHeight) {
  if (!pLeft || !pTop || !pWidth || !pHeight) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  const QRect r = shared_->Source();
  *pLeft = r.left();
  *pTop = r.top();
  *pWidth = r.width();
  *pHeight = r.height();
  return S_OK;
}

HRESULT VideoRenderer::SetDefaultSourcePosition() {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  shared_->SetSource(QRect());
  shared_->RequestPaint();
  return S_OK;
}

HRESULT VideoRenderer::SetSourcePart(int part, LONG value) {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  const QRect r = WithPart(shared_->Source(), part, value);
  return SetSourcePosition(r.left(), r.top(), r.width(), r.height());
}

HRESULT VideoRenderer::GetSourcePart(int part, LONG* value) {
  if (!value) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  *value = PartOf(shared_->Source(), part);
  return S_OK;
}

HRESULT VideoRenderer::SetDestinationPosition(LONG Left, LONG Top, LONG Width, LONG Height) {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  if (Width <= 0 || Height <= 0) return E_INVALIDARG;
  shared_->SetDestination(QRect(Left, Top, Width, Height));
  shared_->RequestPaint();
  return S_OK;
}

HRESULT VideoRenderer::GetDestinationPosition(LONG* pLeft, LONG* pTop, LONG* pWidth, LONG* pHeight) {
  if (!pLeft || !pTop || !pWidth || !pHeight) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  const QRect r = shared_->Destination();
  *pLeft = r.left();
  *pTop = r.top();
  *pWidth = r.width();
  *pHeight = r.height();
  return S_OK;
}

HRESULT VideoRenderer::SetDefaultDestinationPosition() {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  shared_->SetDestination(QRect());
  shared_->RequestPaint();
  return S_OK;
}

HRESULT VideoRenderer::SetDestinationPart(int part, LONG value) {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  const QRect r = WithPart(shared_->Destination(), part, value);
  return SetDestinationPosition(r.left(), r.top(), r.width(), r.height());
}

HRESULT VideoRenderer::GetDestinationPart(int part, LONG* value) {
  if (!value) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  *value = PartOf(shared_->Destination(), part);
  return S_OK;
}

HRESULT VideoRenderer::GetVideoPaletteEntries(LONG, LONG, LONG* pRetrieved, LONG* pPalette) {
  if (!pRetrieved || !pPalette) return E_POINTER;
  *pRetrieved = 0;
  return VFW_E_NO_PALETTE_AVAILABLE;
}

HRESULT VideoRenderer::GetCurrentImage(LONG* pBufferSize, LONG* pDIBImage) {
  if (!pBufferSize) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  const QImage picture = shared_->CurrentPicture();
  if (picture.isNull()) return E_UNEXPECTED;
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
  const DWORD rowBytes = win32::DibRowBytes(rgb.width(), 32);
  const LONG needed = static_cast<LONG>(sizeof(BITMAPINFOHEADER) + rowBytes * rgb.height());
  if (!pDIBImage) {
    *pBufferSize = needed;
    return S_OK;
  }
  if (*pBufferSize < needed) return E_OUTOFMEMORY;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = rgb.width();
  header.biHeight = rgb.height();
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  header.biSizeImage = rowBytes * rgb.height();
  auto* out = reinterpret_cast<BYTE*>(pDIBImage);
  std::memcpy(out, &header, sizeof header);
  for (int y = 0; y < rgb.height(); ++y)
    std::memcpy(out + sizeof header + static_cast<std::size_t>(rowBytes) * (rgb.height() - 1 - y), rgb.constScanLine(y),
                rowBytes);
  *pBufferSize = needed;
  return S_OK;
}

HRESULT VideoRenderer::IsUsingDefaultSource() { return shared_->DefaultSource() ? S_OK : S_FALSE; }
HRESULT VideoRenderer::IsUsingDefaultDestination() { return shared_->DefaultDestination() ? S_OK : S_FALSE; }

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
    const QRect r = WithPart(widget->geometry(), part, value);
    MoveWindow(window, r.left(), r.top(), r.width(), r.height(), TRUE);
    return S_OK;
  });
}

HRESULT VideoRenderer::GetWindowPart(int part, LONG* value) {
  if (!value) return E_POINTER;
  return WithWindow([&](HWND window) {
    *value = PartOf(win32::WidgetFromHandle(window)->geometry(), part);
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

}  // namespace

HRESULT CreateVideoRenderer(IUnknown* outer, REFIID riid, void** object) {
  if (object) *object = nullptr;
  // Its window needs the GUI.
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return E_FAIL;
  return CreateFilterInstance<VideoRenderer>(outer, riid, object);
}

}  // namespace dshow
