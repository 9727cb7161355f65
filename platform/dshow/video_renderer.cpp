// The video renderer filter and its frame timing: a picture waits on the delivering thread until the
// clock reaches it.
#include "platform/dshow/video_renderer.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "platform/dshow/class_ids.h"
#include "platform/dshow/event_codes.h"
#include "platform/dshow/filter_factories.h"

namespace dshow {
namespace {
constexpr auto kWaitSlice = std::chrono::milliseconds(20);
}  // namespace

HRESULT VideoRenderer::CheckInputType(const AM_MEDIA_TYPE& mt) {
  if (mt.majortype != MEDIATYPE_Video || (mt.subtype != MEDIASUBTYPE_RGB32 && mt.subtype != MEDIASUBTYPE_RGB24))
    return S_FALSE;
  const BITMAPINFOHEADER* header = BitmapHeaderOf(mt);
  if (!header || header->biWidth <= 0 || header->biHeight == 0 || header->biCompression != BI_RGB ||
      header->biBitCount != (mt.subtype == MEDIASUBTYPE_RGB32 ? 32 : 24))
    return S_FALSE;
  return S_OK;
}

VideoRenderer::VideoRenderer() : BaseFilter(CLSID_VideoRenderer), input_(*this, u"Input", *this) {
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

HRESULT VideoRenderer::OnInputConnected(const MediaType& type) {
  const BITMAPINFOHEADER* header = type.BitmapHeader();
  {
    std::lock_guard lock(formatLock_);
    format_ = type;
  }
  if (!header) return S_OK;
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
  return S_OK;
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

HRESULT VideoRenderer::OnReceive(IMediaSample* sample) {
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

HRESULT VideoRenderer::OnEndOfStream() {
  std::unique_lock lock(lock_);
  if (flushing_ || !active_) return S_OK;
  endOfStream_ = true;
  cued_ = true;
  changed_.notify_all();
  // Complete once the clock has passed the end: the last picture's, or, while nobody can see the
  // window (no pictures were decoded, so nothing tells when they would have ended), the segment's.
  REFERENCE_TIME end = lastStop_;
  if (!FramesWanted() && segmentLength_ < kUnknownSegmentLength) end = std::max(end, segmentLength_);
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

HRESULT VideoRenderer::OnBeginFlush() {
  {
    std::lock_guard lock(lock_);
    flushing_ = true;
    cued_ = false;
    endOfStream_ = false;
    lastStop_ = 0;
  }
  changed_.notify_all();
  return S_OK;
}

HRESULT VideoRenderer::OnEndFlush() {
  std::lock_guard lock(lock_);
  flushing_ = false;
  return S_OK;
}

HRESULT VideoRenderer::OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double) {
  std::lock_guard lock(lock_);
  segmentLength_ = stop > start ? stop - start : kUnknownSegmentLength;
  return S_OK;
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

LONG RectPart(const QRect& r, int part) {
  switch (part) {
    case 0: return r.left();
    case 1: return r.top();
    case 2: return r.width();
    default: return r.height();
  }
}
QRect WithRectPart(QRect r, int part, LONG value) {
  switch (part) {
    case 0: r.moveLeft(value); break;
    case 1: r.moveTop(value); break;
    case 2: r.setWidth(value); break;
    default: r.setHeight(value); break;
  }
  return r;
}

HRESULT CreateVideoRenderer(IUnknown* outer, REFIID riid, void** object) {
  if (object) *object = nullptr;
  // Its window needs the GUI.
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return E_FAIL;
  return CreateFilterInstance<VideoRenderer>(outer, riid, object);
}

}  // namespace dshow
