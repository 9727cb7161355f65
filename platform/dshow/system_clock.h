// The reference clock of a graph without an audio renderer: the system's monotonic clock.
#pragma once

#include "platform/dshow/com_object.h"

namespace dshow {

// Monotonic time in 100 ns units.
REFERENCE_TIME SteadyNow();

// AdviseTime and AdvisePeriodic are not offered (E_NOTIMPL): the renderers of this layer wait on
// their own condition variables against GetTime.
class SystemClock final : public IReferenceClock, private RefCounted {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

  HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* pTime) override;
  HRESULT STDMETHODCALLTYPE AdviseTime(REFERENCE_TIME, REFERENCE_TIME, HEVENT, DWORD_PTR* pdwAdviseCookie) override;
  HRESULT STDMETHODCALLTYPE AdvisePeriodic(REFERENCE_TIME, REFERENCE_TIME, HSEMAPHORE,
                                           DWORD_PTR* pdwAdviseCookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD_PTR) override { return S_FALSE; }
};

}  // namespace dshow
