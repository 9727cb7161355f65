// The sample grabber: an in-place filter that shows every sample to the application's callback on
// the streaming thread, optionally keeps a copy, then passes the sample on unchanged.
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/dshow/base_filter.h"
#include "platform/dshow/event_codes.h"
#include "platform/dshow/filter_factories.h"
#include "platform/dshow/forwarding_input_pin.h"
#include "platform/dshow/sample_grabber.h"

namespace dshow {
namespace {

class SampleGrabberFilter;

class GrabberOutput final : public OutputPin {
 public:
  explicit GrabberOutput(SampleGrabberFilter& owner);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
  bool GetMediaType(int index, MediaType& mt) override;

 private:
  SampleGrabberFilter& owner_;
};

class SampleGrabberFilter final : public BaseFilter, public ISampleGrabber, private InputHandler {
 public:
  SampleGrabberFilter() : BaseFilter(CLSID_SampleGrabber), input_(*this, u"Input", *this), output_(*this) {}
  ~SampleGrabberFilter() override { Stop(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return BaseFilter::QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return BaseFilter::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return BaseFilter::Release(); }

  HRESULT STDMETHODCALLTYPE SetOneShot(BOOL OneShot) override;
  HRESULT STDMETHODCALLTYPE SetMediaType(const AM_MEDIA_TYPE* pType) override;
  HRESULT STDMETHODCALLTYPE GetConnectedMediaType(AM_MEDIA_TYPE* pType) override;
  HRESULT STDMETHODCALLTYPE SetBufferSamples(BOOL BufferThem) override;
  HRESULT STDMETHODCALLTYPE GetCurrentBuffer(LONG* pBufferSize, LONG* pBuffer) override;
  HRESULT STDMETHODCALLTYPE GetCurrentSample(IMediaSample** ppSample) override;
  HRESULT STDMETHODCALLTYPE SetCallback(ISampleGrabberCB* pCallback, LONG WhichMethodToCallback) override;

  std::vector<BasePin*> Pins() override { return {&input_, &output_}; }

  ForwardingInputPin input_;
  GrabberOutput output_;

 private:
  // The input pin's calls: each sample is shown to the callback, then passed on.
  HRESULT CheckInputType(const AM_MEDIA_TYPE& mt) override;
  HRESULT OnReceive(IMediaSample* sample) override;
  HRESULT OnEndOfStream() override;
  HRESULT OnBeginFlush() override;
  HRESULT OnEndFlush() override;
  HRESULT OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
  bool InputWantsFrames() override { return true; }  // the application sees every frame
  void SetFlushing(bool flushing);

  HRESULT QueryExtra(REFIID riid, void** object) override {
    if (riid == IID_ISampleGrabber) return Hand(static_cast<ISampleGrabber*>(this), object);
    return E_NOINTERFACE;
  }
  HRESULT OnPause(FILTER_STATE from) override;

  mutable std::mutex lock_;
  // Guarded by lock_:
  MediaType wanted_;  // empty: any type
  bool oneShot_ = false;
  bool shotTaken_ = false;
  bool flushing_ = false;
  bool buffering_ = false;
  std::vector<BYTE> buffer_;
  bool haveBuffer_ = false;
  REFERENCE_TIME bufferStart_ = 0;
  REFERENCE_TIME bufferStop_ = 0;
  ComPtr<ISampleGrabberCB> callback_;
  LONG callbackMethod_ = 0;
  std::thread::id callingThread_;  // the streaming thread while it is inside the callback
  std::condition_variable callbackReturned_;
};

GrabberOutput::GrabberOutput(SampleGrabberFilter& owner) : OutputPin(owner, u"Output"), owner_(owner) {}

// Samples pass through unchanged: the output offers and takes exactly the input's type.
HRESULT GrabberOutput::CheckMediaType(const AM_MEDIA_TYPE& mt) {
  if (!owner_.input_.IsConnected()) return S_FALSE;
  const MediaType in = owner_.input_.ConnectionType();
  if (mt.majortype != in->majortype || mt.subtype != in->subtype || mt.formattype != in->formattype ||
      mt.cbFormat != in->cbFormat || (mt.cbFormat && std::memcmp(mt.pbFormat, in->pbFormat, mt.cbFormat) != 0))
    return S_FALSE;
  return S_OK;
}

bool GrabberOutput::GetMediaType(int index, MediaType& mt) {
  if (index != 0 || !owner_.input_.IsConnected()) return false;
  mt = owner_.input_.ConnectionType();
  return true;
}

HRESULT SampleGrabberFilter::CheckInputType(const AM_MEDIA_TYPE& mt) {
  std::lock_guard lock(lock_);
  return wanted_.IsEmpty() || MatchesPartial(mt, wanted_.Get()) ? S_OK : S_FALSE;
}

HRESULT SampleGrabberFilter::OnPause(FILTER_STATE from) {
  if (from == State_Stopped) {
    std::lock_guard lock(lock_);
    shotTaken_ = false;
    flushing_ = false;
  }
  return S_OK;
}

void SampleGrabberFilter::SetFlushing(bool flushing) {
  std::lock_guard lock(lock_);
  flushing_ = flushing;
  if (flushing) shotTaken_ = false;  // a seek may take the next shot
}

HRESULT SampleGrabberFilter::OnBeginFlush() {
  SetFlushing(true);
  output_.DeliverBeginFlush();
  return S_OK;
}

HRESULT SampleGrabberFilter::OnEndFlush() {
  output_.DeliverEndFlush();
  SetFlushing(false);
  return S_OK;
}

HRESULT SampleGrabberFilter::OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  output_.DeliverNewSegment(start, stop, rate);
  return S_OK;
}

HRESULT SampleGrabberFilter::OnReceive(IMediaSample* sample) {
  if (State() == State_Stopped) return VFW_E_WRONG_STATE;
  BYTE* data = nullptr;
  sample->GetPointer(&data);
  const LONG length = sample->GetActualDataLength();
  REFERENCE_TIME start = 0, stop = 0;
  sample->GetTime(&start, &stop);
  ComPtr<ISampleGrabberCB> callback;
  LONG method = 0;
  bool oneShot = false;
  {
    std::lock_guard lock(lock_);
    if (flushing_) return S_FALSE;
    if (oneShot_ && shotTaken_) return S_FALSE;
    if (buffering_ && data && length >= 0) {
      buffer_.assign(data, data + length);
      haveBuffer_ = true;
      bufferStart_ = start;
      bufferStop_ = stop;
    }
    callback = callback_;
    method = callbackMethod_;
    oneShot = oneShot_;
    if (oneShot) shotTaken_ = true;
    if (callback) callingThread_ = std::this_thread::get_id();
  }
  const double time = static_cast<double>(start) / UNITS;
  if (callback) {
    if (method == 0)
      callback->SampleCB(time, sample);
    else
      callback->BufferCB(time, data, length);
    callback = nullptr;  // let go of it before SetCallback may let its owner free it
    std::lock_guard lock(lock_);
    callingThread_ = {};
    callbackReturned_.notify_all();
  }
  HRESULT hr = output_.IsConnected() ? output_.Deliver(sample) : S_OK;
  if (oneShot) {
    OnEndOfStream();
    return S_FALSE;
  }
  return hr;
}

HRESULT SampleGrabberFilter::OnEndOfStream() {
  if (output_.IsConnected()) return output_.DeliverEndOfStream();
  // Nothing downstream: the grabber is where the stream ends.
  NotifyEvent(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
  return S_OK;
}

HRESULT SampleGrabberFilter::SetOneShot(BOOL OneShot) {
  std::lock_guard lock(lock_);
  oneShot_ = OneShot != FALSE;
  return S_OK;
}

HRESULT SampleGrabberFilter::SetMediaType(const AM_MEDIA_TYPE* pType) {
  if (!pType) return E_POINTER;
  std::lock_guard lock(lock_);
  wanted_ = MediaType(*pType);
  return S_OK;
}

HRESULT SampleGrabberFilter::GetConnectedMediaType(AM_MEDIA_TYPE* pType) {
  if (!pType) return E_POINTER;
  return input_.ConnectionMediaType(pType);
}

HRESULT SampleGrabberFilter::SetBufferSamples(BOOL BufferThem) {
  std::lock_guard lock(lock_);
  buffering_ = BufferThem != FALSE;
  if (!buffering_) {
    buffer_.clear();
    haveBuffer_ = false;
  }
  return S_OK;
}

HRESULT SampleGrabberFilter::GetCurrentBuffer(LONG* pBufferSize, LONG* pBuffer) {
  if (!pBufferSize) return E_POINTER;
  std::lock_guard lock(lock_);
  if (!buffering_) return E_INVALIDARG;
  if (!haveBuffer_) return VFW_E_WRONG_STATE;
  const LONG size = static_cast<LONG>(buffer_.size());
  if (!pBuffer) {
    *pBufferSize = size;
    return S_OK;
  }
  if (*pBufferSize < size) return E_OUTOFMEMORY;
  std::memcpy(pBuffer, buffer_.data(), buffer_.size());
  *pBufferSize = size;
  return S_OK;
}

HRESULT SampleGrabberFilter::GetCurrentSample(IMediaSample** ppSample) {
  if (!ppSample) return E_POINTER;
  *ppSample = nullptr;
  std::lock_guard lock(lock_);
  if (!buffering_) return E_INVALIDARG;
  if (!haveBuffer_) return VFW_E_WRONG_STATE;
  auto* copy = new OwnedSample(buffer_.size());
  BYTE* data = nullptr;
  copy->GetPointer(&data);
  if (!buffer_.empty()) std::memcpy(data, buffer_.data(), buffer_.size());
  REFERENCE_TIME start = bufferStart_, stop = bufferStop_;
  copy->SetTime(&start, &stop);
  *ppSample = copy;
  return S_OK;
}

HRESULT SampleGrabberFilter::SetCallback(ISampleGrabberCB* pCallback, LONG WhichMethodToCallback) {
  if (WhichMethodToCallback != 0 && WhichMethodToCallback != 1) return E_INVALIDARG;
  std::unique_lock lock(lock_);
  callback_ = ComPtr<ISampleGrabberCB>(pCallback);
  callbackMethod_ = WhichMethodToCallback;
  // The old callback may be freed once this returns: a call of it in progress is waited for,
  // unless that call is the one asking.
  if (callingThread_ != std::this_thread::get_id())
    callbackReturned_.wait(lock, [this] { return callingThread_ == std::thread::id(); });
  return S_OK;
}

}  // namespace

HRESULT CreateSampleGrabber(IUnknown* outer, REFIID riid, void** object) {
  return CreateFilterInstance<SampleGrabberFilter>(outer, riid, object);
}

}  // namespace dshow
