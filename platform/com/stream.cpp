#include "platform/com/stream.h"

#include "platform/com/object.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// The block behind a stream and its clones.
struct Storage {
  HGLOBAL memory = nullptr;
  bool deleteOnRelease = false;
  ~Storage() {
    if (deleteOnRelease) GlobalFree(memory);
  }
};

class HGlobalStream final : public com::Object<IStream, IID_ISequentialStream, IID_IStream> {
 public:
  HGlobalStream(std::shared_ptr<Storage> storage, ULONGLONG position)
      : storage_(std::move(storage)), position_(position) {}

  HGLOBAL Memory() const { return storage_->memory; }

  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override {
    if (read) *read = 0;
    if (!buffer && count) return STG_E_INVALIDPOINTER;
    const ULONGLONG size = Size();
    const ULONG n = position_ >= size ? 0 : static_cast<ULONG>(std::min<ULONGLONG>(count, size - position_));
    if (n) {
      auto* data = static_cast<const unsigned char*>(GlobalLock(Memory()));
      if (!data) return STG_E_READFAULT;
      std::memcpy(buffer, data + position_, n);
      GlobalUnlock(Memory());
      position_ += n;
    }
    if (read) *read = n;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* written) override {
    if (written) *written = 0;
    if (!buffer && count) return STG_E_INVALIDPOINTER;
    if (count == 0) return S_OK;
    const ULONGLONG end = position_ + count;
    if (end < position_ || end > static_cast<ULONGLONG>(SIZE_MAX)) return STG_E_MEDIUMFULL;
    if (end > Size() && FAILED(Resize(end))) return STG_E_MEDIUMFULL;
    auto* data = static_cast<unsigned char*>(GlobalLock(Memory()));
    if (!data) return STG_E_WRITEFAULT;
    std::memcpy(data + position_, buffer, count);
    GlobalUnlock(Memory());
    position_ = end;
    if (written) *written = count;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
    LONGLONG base = 0;
    switch (origin) {
      case STREAM_SEEK_SET: base = 0; break;
      case STREAM_SEEK_CUR: base = static_cast<LONGLONG>(position_); break;
      case STREAM_SEEK_END: base = static_cast<LONGLONG>(Size()); break;
      default: return STG_E_INVALIDFUNCTION;
    }
    LONGLONG target = 0;
    if (__builtin_add_overflow(base, move.QuadPart, &target) || target < 0) return STG_E_INVALIDFUNCTION;
    position_ = static_cast<ULONGLONG>(target);
    if (newPosition) newPosition->QuadPart = position_;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER newSize) override {
    if (newSize.QuadPart > static_cast<ULONGLONG>(SIZE_MAX)) return STG_E_MEDIUMFULL;
    return Resize(newSize.QuadPart);
  }

  HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                                   ULARGE_INTEGER* written) override {
    if (read) read->QuadPart = 0;
    if (written) written->QuadPart = 0;
    if (!target) return STG_E_INVALIDPOINTER;
    ULONGLONG left = count.QuadPart;
    ULONGLONG totalRead = 0;
    ULONGLONG totalWritten = 0;
    unsigned char chunk[4096];
    HRESULT hr = S_OK;
    while (left > 0) {
      ULONG got = 0;
      Read(chunk, static_cast<ULONG>(std::min<ULONGLONG>(left, sizeof chunk)), &got);
      if (got == 0) break;
      totalRead += got;
      left -= got;
      ULONG put = 0;
      hr = target->Write(chunk, got, &put);
      totalWritten += put;
      if (FAILED(hr)) break;
    }
    if (read) read->QuadPart = totalRead;
    if (written) written->QuadPart = totalWritten;
    return hr;
  }

  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }

  HRESULT STDMETHODCALLTYPE Stat(STATSTG* statistics, DWORD) override {
    if (!statistics) return STG_E_INVALIDPOINTER;
    *statistics = STATSTG{};
    statistics->type = STGTY_STREAM;
    statistics->cbSize.QuadPart = Size();
    statistics->grfMode = STGM_READWRITE;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Clone(IStream** stream) override {
    if (!stream) return STG_E_INVALIDPOINTER;
    *stream = new HGlobalStream(storage_, position_);
    return S_OK;
  }

 private:
  ULONGLONG Size() const { return GlobalSize(Memory()); }
  HRESULT Resize(ULONGLONG size) {
    if (!GlobalReAlloc(Memory(), static_cast<SIZE_T>(size), GMEM_MOVEABLE | GMEM_ZEROINIT)) return STG_E_MEDIUMFULL;
    return S_OK;
  }

  std::shared_ptr<Storage> storage_;
  ULONGLONG position_;
};

}  // namespace

HRESULT WINAPI CreateStreamOnHGlobal(HGLOBAL memory, BOOL deleteOnRelease, LPSTREAM* stream) {
  if (!stream) return E_INVALIDARG;
  *stream = nullptr;
  auto storage = std::make_shared<Storage>();
  if (!memory) {
    memory = GlobalAlloc(GMEM_MOVEABLE, 0);
    if (!memory) return E_OUTOFMEMORY;
  } else if (GlobalSize(memory) == 0 && !GlobalReAlloc(memory, 0, GMEM_MODIFY)) {
    return E_INVALIDARG;  // not a block
  }
  storage->memory = memory;
  storage->deleteOnRelease = deleteOnRelease != FALSE;
  *stream = new HGlobalStream(std::move(storage), 0);
  return S_OK;
}

HRESULT WINAPI GetHGlobalFromStream(LPSTREAM stream, HGLOBAL* memory) {
  if (!memory) return E_INVALIDARG;
  *memory = nullptr;
  auto* ours = dynamic_cast<HGlobalStream*>(stream);
  if (!ours) return E_INVALIDARG;
  *memory = ours->Memory();
  return S_OK;
}
