#include "platform/dshow/system_clock.h"

#include <chrono>

namespace dshow {

REFERENCE_TIME SteadyNow() {
  using Ticks = std::chrono::duration<REFERENCE_TIME, std::ratio<1, UNITS>>;
  return std::chrono::duration_cast<Ticks>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

HRESULT SystemClock::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IReferenceClock) return Hand(static_cast<IReferenceClock*>(this), object);
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT SystemClock::GetTime(REFERENCE_TIME* pTime) {
  if (!pTime) return E_POINTER;
  *pTime = SteadyNow();
  return S_OK;
}

HRESULT SystemClock::AdviseTime(REFERENCE_TIME, REFERENCE_TIME, HEVENT, DWORD_PTR* pdwAdviseCookie) {
  if (!pdwAdviseCookie) return E_POINTER;
  *pdwAdviseCookie = 0;
  return E_NOTIMPL;
}

HRESULT SystemClock::AdvisePeriodic(REFERENCE_TIME, REFERENCE_TIME, HSEMAPHORE, DWORD_PTR* pdwAdviseCookie) {
  if (!pdwAdviseCookie) return E_POINTER;
  *pdwAdviseCookie = 0;
  return E_NOTIMPL;
}

}  // namespace dshow
