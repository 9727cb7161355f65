// Media samples and the allocator that pools them.
//
// A sample is used by one thread at a time (the one it is handed to), so its properties need no lock.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dshow/com_object.h"
#include "platform/dshow/media_type.h"

namespace dshow {

// Times, flags and the media type of a sample; the buffer is the subclass's.
class SampleBase : public IMediaSample {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd) override;
  HRESULT STDMETHODCALLTYPE SetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd) override;
  HRESULT STDMETHODCALLTYPE IsSyncPoint() override { return syncPoint_ ? S_OK : S_FALSE; }
  HRESULT STDMETHODCALLTYPE SetSyncPoint(BOOL value) override;
  HRESULT STDMETHODCALLTYPE IsPreroll() override { return preroll_ ? S_OK : S_FALSE; }
  HRESULT STDMETHODCALLTYPE SetPreroll(BOOL value) override;
  LONG STDMETHODCALLTYPE GetActualDataLength() override { return actualLength_; }
  HRESULT STDMETHODCALLTYPE SetActualDataLength(LONG length) override;
  HRESULT STDMETHODCALLTYPE GetMediaType(AM_MEDIA_TYPE** ppMediaType) override;
  HRESULT STDMETHODCALLTYPE SetMediaType(AM_MEDIA_TYPE* pMediaType) override;
  HRESULT STDMETHODCALLTYPE IsDiscontinuity() override { return discontinuity_ ? S_OK : S_FALSE; }
  HRESULT STDMETHODCALLTYPE SetDiscontinuity(BOOL value) override;
  HRESULT STDMETHODCALLTYPE GetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) override;
  HRESULT STDMETHODCALLTYPE SetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) override;

 protected:
  SampleBase() = default;
  virtual ~SampleBase() = default;
  // Called when the last reference goes: deletes the sample unless a pool takes it back.
  virtual void OnFinalRelease() { delete this; }
  virtual HRESULT QueryExtra(REFIID, void**) { return E_NOINTERFACE; }
  void ResetProperties(LONG actualLength);
  void SetReferenceCount(ULONG count) { refs_.store(count, std::memory_order_relaxed); }

  LONG actualLength_ = 0;

 private:
  std::atomic<ULONG> refs_{1};
  bool startValid_ = false;
  bool stopValid_ = false;
  REFERENCE_TIME start_ = 0;
  REFERENCE_TIME stop_ = 0;
  bool mediaTimeValid_ = false;
  LONGLONG mediaStart_ = 0;
  LONGLONG mediaStop_ = 0;
  bool syncPoint_ = false;
  bool preroll_ = false;
  bool discontinuity_ = false;
  std::unique_ptr<MediaType> mediaType_;  // a format change announced with this sample
};

// A sample with a plain buffer of its own, used once.
class OwnedSample final : public SampleBase {
 public:
  explicit OwnedSample(std::size_t size) : buffer_(size) { actualLength_ = static_cast<LONG>(size); }
  HRESULT STDMETHODCALLTYPE GetPointer(BYTE** ppBuffer) override;
  LONG STDMETHODCALLTYPE GetSize() override { return static_cast<LONG>(buffer_.size()); }

 private:
  std::vector<BYTE> buffer_;
};

class PooledSample;

// Fixed-size buffers handed out by GetBuffer and returned when a sample's last reference goes.
// GetBuffer waits for a free buffer; Decommit wakes every waiter (VFW_E_NOT_COMMITTED).
class MemAllocator final : public IMemAllocator, private RefCounted {
 public:
  MemAllocator();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

  HRESULT STDMETHODCALLTYPE SetProperties(ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual) override;
  HRESULT STDMETHODCALLTYPE GetProperties(ALLOCATOR_PROPERTIES* pProps) override;
  HRESULT STDMETHODCALLTYPE Commit() override;
  HRESULT STDMETHODCALLTYPE Decommit() override;
  HRESULT STDMETHODCALLTYPE GetBuffer(IMediaSample** ppBuffer, REFERENCE_TIME* pStartTime, REFERENCE_TIME* pEndTime,
                                      DWORD dwFlags) override;
  HRESULT STDMETHODCALLTYPE ReleaseBuffer(IMediaSample* pBuffer) override;

 private:
  ~MemAllocator() override;
  void FreeBuffersLocked();

  std::mutex lock_;
  std::condition_variable returned_;
  // Guarded by lock_:
  ALLOCATOR_PROPERTIES props_{};
  bool propertiesSet_ = false;
  bool committed_ = false;
  std::vector<std::unique_ptr<PooledSample>> samples_;
  std::vector<PooledSample*> free_;
};

}  // namespace dshow
