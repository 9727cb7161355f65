#include "player/sample_grabber_cb.h"

#include <cstring>

#include "platform/com/class_registry.h"
#include "platform/win32/user32.h"

namespace {

// The private message of a captured frame (the control's WM_FRAMECAPTURED).
constexpr UINT kFrameCapturedMessage = WM_APP + 1000;

}  // namespace

TSampleGrabberCB::~TSampleGrabberCB() { FreeMediaType(mediaType_); }

HRESULT STDMETHODCALLTYPE TSampleGrabberCB::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_ISampleGrabberCB || riid == IID_IUnknown) {
    *object = static_cast<ISampleGrabberCB*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TSampleGrabberCB::SampleCB(double, IMediaSample*) { return S_OK; }

HRESULT STDMETHODCALLTYPE TSampleGrabberCB::BufferCB(double SampleTime, BYTE* pBuffer, LONG BufferLen) {
  if (!armed_.load(std::memory_order_acquire)) return S_OK;
  if (busy_.exchange(true, std::memory_order_acq_rel)) return S_OK;  // a frame is still on its way
  bool captured = false;
  HWND window = nullptr;
  LPARAM pause = 1;
  {
    std::lock_guard lock(lock_);
    bool pauseAfter = false;
    if (!frameBitmap_ && CountFrame(pauseAfter) && pBuffer) {
      if (pauseAfter) pause = 0;
      const BITMAPINFOHEADER* header = FrameHeader();
      auto bitmap = std::make_unique<TBitmap>();
      // A section that cannot be made, or a buffer shorter than the frame, gives no capture; the
      // frame is dropped here and the next one may be taken.
      if (header && bitmap->NewSection(*header) && BufferLen >= 0 &&
          bitmap->SectionSize() <= static_cast<std::size_t>(BufferLen)) {
        std::memcpy(bitmap->SectionBits(), pBuffer, bitmap->SectionSize());
        frameBitmap_ = std::move(bitmap);
        sampleTime_ = SampleTime;
        window = window_;
        captured = true;
      }
    }
  }
  if (captured && PostMessageA(window, kFrameCapturedMessage, 1, pause)) return S_OK;
  if (captured) {
    std::lock_guard lock(lock_);
    frameBitmap_.reset();  // nobody will take it
  }
  busy_.store(false, std::memory_order_release);
  return S_OK;
}

const BITMAPINFOHEADER* TSampleGrabberCB::FrameHeader() const {
  if (formatKind_ == 1 && mediaType_.cbFormat >= sizeof(VIDEOINFOHEADER))
    return &reinterpret_cast<const VIDEOINFOHEADER*>(mediaType_.pbFormat)->bmiHeader;
  if (formatKind_ == 2 && mediaType_.cbFormat >= sizeof(VIDEOINFOHEADER2))
    return &reinterpret_cast<const VIDEOINFOHEADER2*>(mediaType_.pbFormat)->bmiHeader;
  return nullptr;
}

bool TSampleGrabberCB::CountFrame(bool& pause) {
  if (formatKind_ == 0 || !armed_.load(std::memory_order_relaxed)) return false;
  if (burstMode_) {
    if (--countdown_ > 0) return false;
    --remaining_;
    countdown_ = burstInterval_;
  } else {
    armed_.store(false, std::memory_order_release);
  }
  // Burst mode with a count of 0 goes on until cancelled.
  if ((!burstMode_ || burstCount_ > 0) && remaining_ <= 0) {
    armed_.store(false, std::memory_order_release);
    if (pauseWhenDone_) {
      pause = true;
      pauseWhenDone_ = false;
    }
  }
  return true;
}

void TSampleGrabberCB::SetBurstCount(int value) {
  std::lock_guard lock(lock_);
  if (value == burstCount_ || value < 0) return;
  burstCount_ = value;
}

void TSampleGrabberCB::SetBurstInterval(int value) {
  std::lock_guard lock(lock_);
  if (value == burstInterval_ || value < 1) return;
  burstInterval_ = value;
}

void TSampleGrabberCB::SetBurstMode(bool value) {
  std::lock_guard lock(lock_);
  burstMode_ = value;
}

void TSampleGrabberCB::SetWindow(HWND window) {
  std::lock_guard lock(lock_);
  window_ = window;
}

void TSampleGrabberCB::Arm(bool pauseWhenDone) {
  std::lock_guard lock(lock_);
  remaining_ = burstMode_ ? burstCount_ : 0;  // a single capture is the last one
  countdown_ = burstInterval_;
  pauseWhenDone_ = pauseWhenDone;
  armed_.store(true, std::memory_order_release);
}

void TSampleGrabberCB::Cancel() {
  std::lock_guard lock(lock_);
  remaining_ = 0;
  armed_.store(false, std::memory_order_release);
}

BYTE TSampleGrabberCB::SetMediaType(const AM_MEDIA_TYPE& type) {
  std::lock_guard lock(lock_);
  FreeMediaType(mediaType_);
  CopyMediaType(&mediaType_, &type);
  formatKind_ = 0;
  if (mediaType_.majortype == MEDIATYPE_Video) {
    if (mediaType_.formattype == FORMAT_VideoInfo)
      formatKind_ = 1;
    else if (mediaType_.formattype == FORMAT_VideoInfo2)
      formatKind_ = 2;
  }
  return formatKind_;
}

void TSampleGrabberCB::ClearMediaType() {
  std::lock_guard lock(lock_);
  FreeMediaType(mediaType_);
  formatKind_ = 0;
}

std::unique_ptr<TBitmap> TSampleGrabberCB::TakeFrame(double& sampleTime) {
  std::lock_guard lock(lock_);
  sampleTime = sampleTime_;
  return std::move(frameBitmap_);
}

void TSampleGrabberCB::FrameHandled() {
  {
    std::lock_guard lock(lock_);
    frameBitmap_.reset();
  }
  busy_.store(false, std::memory_order_release);
}

int TSampleGrabberCB::Remaining() const {
  std::lock_guard lock(lock_);
  return remaining_;
}

int TSampleGrabberCB::BurstCount() const {
  std::lock_guard lock(lock_);
  return burstCount_;
}

int TSampleGrabberCB::BurstInterval() const {
  std::lock_guard lock(lock_);
  return burstInterval_;
}

bool TSampleGrabberCB::BurstMode() const {
  std::lock_guard lock(lock_);
  return burstMode_;
}

BYTE TSampleGrabberCB::FormatKind() const {
  std::lock_guard lock(lock_);
  return formatKind_;
}

bool SampleGrabberAvailable() {
  ComPtr<ISampleGrabber> grabber;
  return SUCCEEDED(CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_ISampleGrabber,
                                    grabber.PutVoid())) &&
         grabber;
}
