#include "platform/dshow/media_sample.h"

#include <algorithm>

namespace dshow {

HRESULT SampleBase::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IMediaSample) return Hand(static_cast<IMediaSample*>(this), object);
  *object = nullptr;
  return QueryExtra(riid, object);
}

ULONG SampleBase::AddRef() { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }

ULONG SampleBase::Release() {
  const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) OnFinalRelease();
  return left;
}

HRESULT SampleBase::GetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd) {
  if (!pTimeStart || !pTimeEnd) return E_POINTER;
  if (!startValid_) return VFW_E_SAMPLE_TIME_NOT_SET;
  *pTimeStart = start_;
  if (!stopValid_) {
    *pTimeEnd = start_ + 1;
    return VFW_S_NO_STOP_TIME;
  }
  *pTimeEnd = stop_;
  return S_OK;
}

HRESULT SampleBase::SetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd) {
  startValid_ = pTimeStart != nullptr;
  stopValid_ = pTimeStart && pTimeEnd;
  if (pTimeStart) start_ = *pTimeStart;
  if (pTimeEnd) stop_ = *pTimeEnd;
  return S_OK;
}

HRESULT SampleBase::SetSyncPoint(BOOL value) {
  syncPoint_ = value != FALSE;
  return S_OK;
}

HRESULT SampleBase::SetPreroll(BOOL value) {
  preroll_ = value != FALSE;
  return S_OK;
}

HRESULT SampleBase::SetActualDataLength(LONG length) {
  if (length < 0 || length > GetSize()) return VFW_E_BUFFER_OVERFLOW;
  actualLength_ = length;
  return S_OK;
}

HRESULT SampleBase::GetMediaType(AM_MEDIA_TYPE** ppMediaType) {
  if (!ppMediaType) return E_POINTER;
  *ppMediaType = nullptr;
  if (!mediaType_) return S_FALSE;
  *ppMediaType = CreateMediaType(&mediaType_->Get());
  return *ppMediaType ? S_OK : E_OUTOFMEMORY;
}

HRESULT SampleBase::SetMediaType(AM_MEDIA_TYPE* pMediaType) {
  if (!pMediaType) {
    mediaType_.reset();
    return S_OK;
  }
  mediaType_ = std::make_unique<MediaType>(*pMediaType);
  return S_OK;
}

HRESULT SampleBase::SetDiscontinuity(BOOL value) {
  discontinuity_ = value != FALSE;
  return S_OK;
}

HRESULT SampleBase::GetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) {
  if (!pTimeStart || !pTimeEnd) return E_POINTER;
  if (!mediaTimeValid_) return VFW_E_MEDIA_TIME_NOT_SET;
  *pTimeStart = mediaStart_;
  *pTimeEnd = mediaStop_;
  return S_OK;
}

HRESULT SampleBase::SetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) {
  if (!pTimeStart) {
    mediaTimeValid_ = false;
    return S_OK;
  }
  if (!pTimeEnd) return E_POINTER;
  mediaTimeValid_ = true;
  mediaStart_ = *pTimeStart;
  mediaStop_ = *pTimeEnd;
  return S_OK;
}

void SampleBase::ResetProperties(LONG actualLength) {
  actualLength_ = actualLength;
  startValid_ = stopValid_ = mediaTimeValid_ = false;
  syncPoint_ = preroll_ = discontinuity_ = false;
  mediaType_.reset();
}

HRESULT OwnedSample::GetPointer(BYTE** ppBuffer) {
  if (!ppBuffer) return E_POINTER;
  *ppBuffer = buffer_.data();
  return S_OK;
}

// A buffer of a MemAllocator; its last reference gives it back.
class PooledSample final : public SampleBase {
 public:
  PooledSample(MemAllocator& allocator, std::size_t size)
      : allocator_(allocator), buffer_(new BYTE[size]), size_(size) {}
  ~PooledSample() override = default;

  HRESULT STDMETHODCALLTYPE GetPointer(BYTE** ppBuffer) override {
    if (!ppBuffer) return E_POINTER;
    *ppBuffer = buffer_.get();
    return S_OK;
  }
  LONG STDMETHODCALLTYPE GetSize() override { return static_cast<LONG>(size_); }
  void Prepare() {
    ResetProperties(static_cast<LONG>(size_));
    SetReferenceCount(1);
  }

 private:
  void OnFinalRelease() override { allocator_.ReleaseBuffer(this); }

  MemAllocator& allocator_;
  std::unique_ptr<BYTE[]> buffer_;
  std::size_t size_;
};

MemAllocator::MemAllocator() = default;

MemAllocator::~MemAllocator() = default;

HRESULT MemAllocator::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IMemAllocator) return Hand(static_cast<IMemAllocator*>(this), object);
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT MemAllocator::SetProperties(ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual) {
  if (!pRequest || !pActual) return E_POINTER;
  std::lock_guard lock(lock_);
  if (committed_) return VFW_E_ALREADY_COMMITTED;
  if (free_.size() != samples_.size()) return VFW_E_BUFFERS_OUTSTANDING;
  if (pRequest->cbAlign < 0 || pRequest->cBuffers < 0 || pRequest->cbBuffer < 0 || pRequest->cbPrefix < 0)
    return E_INVALIDARG;
  ALLOCATOR_PROPERTIES actual = *pRequest;
  actual.cbAlign = std::max<LONG>(actual.cbAlign, 1);
  actual.cBuffers = std::max<LONG>(actual.cBuffers, 1);
  actual.cbBuffer = (std::max<LONG>(actual.cbBuffer, 1) + actual.cbAlign - 1) / actual.cbAlign * actual.cbAlign;
  props_ = actual;
  propertiesSet_ = true;
  *pActual = actual;
  return S_OK;
}

HRESULT MemAllocator::GetProperties(ALLOCATOR_PROPERTIES* pProps) {
  if (!pProps) return E_POINTER;
  std::lock_guard lock(lock_);
  *pProps = props_;
  return S_OK;
}

HRESULT MemAllocator::Commit() {
  std::lock_guard lock(lock_);
  if (!propertiesSet_) return VFW_E_SIZENOTSET;
  if (committed_) return S_OK;
  // Buffers of an earlier commit that are still out are freed when they come back.
  if (samples_.empty()) {
    try {
      for (LONG i = 0; i < props_.cBuffers; ++i) {
        samples_.push_back(std::make_unique<PooledSample>(*this, static_cast<std::size_t>(props_.cbBuffer)));
        free_.push_back(samples_.back().get());
      }
    } catch (const std::bad_alloc&) {
      free_.clear();
      samples_.clear();
      return E_OUTOFMEMORY;
    }
  }
  committed_ = true;
  return S_OK;
}

HRESULT MemAllocator::Decommit() {
  std::lock_guard lock(lock_);
  committed_ = false;
  if (free_.size() == samples_.size()) FreeBuffersLocked();
  returned_.notify_all();
  return S_OK;
}

void MemAllocator::FreeBuffersLocked() {
  free_.clear();
  samples_.clear();
}

HRESULT MemAllocator::GetBuffer(IMediaSample** ppBuffer, REFERENCE_TIME*, REFERENCE_TIME*, DWORD dwFlags) {
  if (!ppBuffer) return E_POINTER;
  *ppBuffer = nullptr;
  PooledSample* sample = nullptr;
  {
    std::unique_lock lock(lock_);
    for (;;) {
      if (!committed_) return VFW_E_NOT_COMMITTED;
      if (!free_.empty()) break;
      if (dwFlags & AM_GBF_NOWAIT) return VFW_E_TIMEOUT;
      returned_.wait(lock);
    }
    sample = free_.back();
    free_.pop_back();
  }
  AddRef();  // the allocator lives while any of its buffers is out
  sample->Prepare();
  *ppBuffer = sample;
  return S_OK;
}

HRESULT MemAllocator::ReleaseBuffer(IMediaSample* pBuffer) {
  if (!pBuffer) return E_POINTER;
  {
    std::lock_guard lock(lock_);
    auto mine = std::find_if(samples_.begin(), samples_.end(), [&](const std::unique_ptr<PooledSample>& s) {
      return static_cast<IMediaSample*>(s.get()) == pBuffer;
    });
    if (mine == samples_.end()) return E_INVALIDARG;
    free_.push_back(mine->get());
    if (!committed_ && free_.size() == samples_.size()) FreeBuffersLocked();
    returned_.notify_all();
  }
  Release();
  return S_OK;
}

}  // namespace dshow
