// The graph's state, clock and position: IMediaControl and IMediaSeeking.
#include <algorithm>
#include <chrono>

#include "platform/dshow/filter_graph.h"
#include "platform/dshow/private_interfaces.h"

namespace dshow {
namespace {

// StopWhenReady waits this long at most for the renderers to have their first sample.
constexpr LONG kReadyTimeoutMs = 10000;

}  // namespace

// ---- state ----

HRESULT FilterGraph::Pause() {
  std::lock_guard lock(lock_);
  return PauseLocked();
}

HRESULT FilterGraph::PauseLocked() {
  if (state_ == State_Paused) return S_OK;
  const FILTER_STATE from = state_;
  if (from == State_Stopped) {
    if (clockChosenByCaller_) {
      for (const Entry& entry : filters_) entry.filter->SetSyncSource(clock_.Get());
    } else {
      ChooseClockLocked();
    }
    ResetCompletion(RenderersLocked().size());
  }
  for (const auto& filter : RendererFirstLocked()) {
    if (HRESULT hr = filter->Pause(); FAILED(hr)) {
      for (const auto& other : RendererFirstLocked()) other->Stop();
      state_ = State_Stopped;
      return hr;
    }
  }
  // Read after the renderers paused: the audio renderer's clock then stands at the last sound it
  // gave out, which is where playing resumes.
  pausedStream_ = from == State_Running ? std::max<REFERENCE_TIME>(StreamTimeLocked(), 0) : 0;
  state_ = State_Paused;
  for (const auto& filter : RendererFirstLocked()) {
    FILTER_STATE state;
    if (filter->GetState(0, &state) == VFW_S_STATE_INTERMEDIATE) return S_FALSE;
  }
  return S_OK;
}

HRESULT FilterGraph::Run() {
  std::lock_guard lock(lock_);
  if (state_ == State_Running) return S_OK;
  if (state_ == State_Stopped)
    if (HRESULT hr = PauseLocked(); FAILED(hr)) return hr;
  REFERENCE_TIME now = 0;
  if (clock_) clock_->GetTime(&now);
  return RunLocked(now - pausedStream_);
}

HRESULT FilterGraph::RunLocked(REFERENCE_TIME start) {
  if (state_ == State_Running) return S_OK;
  start_ = start;
  for (const auto& filter : RendererFirstLocked()) {
    if (HRESULT hr = filter->Run(start_); FAILED(hr)) {
      for (const auto& other : RendererFirstLocked()) other->Stop();
      state_ = State_Stopped;
      return hr;
    }
  }
  state_ = State_Running;
  return S_OK;
}

HRESULT FilterGraph::Stop() {
  std::lock_guard lock(lock_);
  return StopLocked();
}

HRESULT FilterGraph::StopLocked() {
  if (state_ == State_Stopped) return S_OK;
  // Paused first, as the position to start again from is what was last heard.
  if (state_ == State_Running) PauseLocked();
  const REFERENCE_TIME position = PositionLocked();
  for (const auto& filter : RendererFirstLocked()) filter->Stop();
  state_ = State_Stopped;
  pausedStream_ = 0;
  // Run starts again where it stopped.
  segmentStart_ = position;
  if (ComPtr<IMediaSeeking> seeking = SeekingLocked()) {
    LONGLONG value = 0;
    if (SUCCEEDED(seeking->ConvertTimeFormat(&value, nullptr, position, &TIME_FORMAT_MEDIA_TIME)))
      seeking->SetPositions(&value, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
  }
  ResetCompletion(0);
  return S_OK;
}

HRESULT FilterGraph::GetState(LONG msTimeout, OAFilterState* pfs) {
  if (!pfs) return E_POINTER;
  std::vector<ComPtr<IBaseFilter>> filters;
  {
    std::lock_guard lock(lock_);
    *pfs = state_;
    filters = RendererFirstLocked();
  }
  // Waits without the graph's lock, so that the graph can be stopped meanwhile.
  const bool forever = msTimeout < 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(forever ? 0 : msTimeout);
  HRESULT result = S_OK;
  for (const auto& filter : filters) {
    DWORD wait = INFINITE;
    if (!forever) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      wait = static_cast<DWORD>(std::max<long long>(left.count(), 0));
    }
    FILTER_STATE state;
    const HRESULT hr = filter->GetState(wait, &state);
    if (FAILED(hr)) return E_FAIL;
    if (hr == VFW_S_STATE_INTERMEDIATE || hr == VFW_S_CANT_CUE) result = hr;
  }
  return result;
}

HRESULT FilterGraph::StopWhenReady() {
  if (HRESULT hr = Pause(); FAILED(hr)) return hr;
  OAFilterState state;
  GetState(kReadyTimeoutMs, &state);
  return Stop();
}

// ---- time ----

REFERENCE_TIME FilterGraph::StreamTimeLocked() {
  REFERENCE_TIME now = 0;
  if (!clock_ || FAILED(clock_->GetTime(&now))) return 0;
  return now - start_;
}

REFERENCE_TIME FilterGraph::PositionLocked() {
  REFERENCE_TIME position = segmentStart_;
  if (state_ == State_Paused) position += pausedStream_;
  if (state_ == State_Running) position += std::max<REFERENCE_TIME>(StreamTimeLocked(), 0);
  if (ComPtr<IMediaSeeking> seeking = SeekingLocked()) {
    LONGLONG stop = 0;
    REFERENCE_TIME stopTime = 0;
    if (SUCCEEDED(seeking->GetStopPosition(&stop)) &&
        SUCCEEDED(seeking->ConvertTimeFormat(&stopTime, &TIME_FORMAT_MEDIA_TIME, stop, nullptr))) {
      bool complete;
      {
        std::lock_guard events(eventLock_);
        complete = completeQueued_;
      }
      if (complete || position > stopTime) position = stopTime;
    }
  }
  return std::max<REFERENCE_TIME>(position, 0);
}

void FilterGraph::Restarted() {
  ResetCompletion(RenderersLocked().size());
  if (state_ != State_Running) {
    pausedStream_ = 0;
    return;
  }
  // The new segment's stream time starts now.
  REFERENCE_TIME now = 0;
  if (clock_) clock_->GetTime(&now);
  start_ = now;
  for (const auto& filter : RendererFirstLocked()) filter->Run(start_);
}

HRESULT FilterGraph::SeekLocked(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) {
  ComPtr<IMediaSeeking> seeking = SeekingLocked();
  if (!seeking) return E_NOTIMPL;
  const DWORD mode = currentFlags & AM_SEEKING_PositioningBitsMask;
  if (mode == AM_SEEKING_NoPositioning) return seeking->SetPositions(nullptr, currentFlags, stop, stopFlags);
  if (!current) return E_POINTER;
  LONGLONG target = *current;
  if (mode != AM_SEEKING_AbsolutePositioning) {
    // Relative to where the graph is now, which only the graph knows.
    LONGLONG now = 0;
    if (FAILED(seeking->ConvertTimeFormat(&now, nullptr, PositionLocked(), &TIME_FORMAT_MEDIA_TIME))) return E_FAIL;
    target += now;
  }
  const DWORD flags =
      (currentFlags & ~AM_SEEKING_PositioningBitsMask) | AM_SEEKING_AbsolutePositioning | AM_SEEKING_ReturnTime;
  HRESULT hr;
  if (state_ == State_Stopped) {
    hr = seeking->SetPositions(&target, flags, stop, stopFlags);
    pausedStream_ = 0;
  } else if (ComPtr<IRestartingSeek> restarting = seeking.As<IRestartingSeek>()) {
    hr = restarting->SetPositionsAndRestart(
        &target, flags, stop, stopFlags, [](void* graph) { static_cast<FilterGraph*>(graph)->Restarted(); }, this);
  } else {
    hr = seeking->SetPositions(&target, flags, stop, stopFlags);
    if (SUCCEEDED(hr)) Restarted();
  }
  if (FAILED(hr)) return hr;
  REFERENCE_TIME media = 0;
  if (SUCCEEDED(seeking->ConvertTimeFormat(&media, &TIME_FORMAT_MEDIA_TIME, target, nullptr))) segmentStart_ = media;
  if (currentFlags & AM_SEEKING_ReturnTime) *current = target;
  return hr;
}

void FilterGraph::RepaintNow() {
  {
    std::lock_guard events(eventLock_);
    repaintPosted_ = false;
  }
  std::lock_guard lock(lock_);
  if (state_ != State_Paused) return;
  ComPtr<IMediaSeeking> seeking = SeekingLocked();
  LONGLONG value = 0;
  if (seeking && SUCCEEDED(seeking->ConvertTimeFormat(&value, nullptr, PositionLocked(), &TIME_FORMAT_MEDIA_TIME)))
    SeekLocked(&value, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
}

// ---- IMediaSeeking ----

HRESULT FilterGraph::GetCapabilities(DWORD* pCapabilities) {
  if (!pCapabilities) return E_POINTER;
  std::lock_guard lock(lock_);
  ComPtr<IMediaSeeking> seeking = SeekingLocked();
  if (!seeking) {
    *pCapabilities = 0;
    return E_NOTIMPL;
  }
  return seeking->GetCapabilities(pCapabilities);
}

HRESULT FilterGraph::CheckCapabilities(DWORD* pCapabilities) {
  if (!pCapabilities) return E_POINTER;
  std::lock_guard lock(lock_);
  ComPtr<IMediaSeeking> seeking = SeekingLocked();
  return seeking ? seeking->CheckCapabilities(pCapabilities) : E_FAIL;
}

HRESULT FilterGraph::IsFormatSupported(const GUID* pFormat) {
  if (!pFormat) return E_POINTER;
  std::lock_guard lock(lock_);
  ComPtr<IMediaSeeking> seeking = SeekingLocked();
  if (!seeking) return *pFormat == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
  return seeking->IsFormatSupported(pFormat);
}

HRESULT FilterGraph::QueryPreferredFormat(GUID* pFormat) {
  if (!pFormat) return E_POINTER;
  *pFormat = TIME_FORMAT_MEDIA_TIME;
  return S_OK;
}

HRESULT FilterGraph::GetTimeFormat(GUID* pFormat) {
  if (!pFormat) return E_POINTER;
  std::lock_guard lock(lock_);
  *pFormat = timeFormat_;
  return S_OK;
}

HRESULT FilterGraph::IsUsingTimeFormat(const GUID* pFormat) {
  if (!pFormat) return E_POINTER;
  std::lock_guard lock(lock_);
  return *pFormat == timeFormat_ ? S_OK : S_FALSE;
}

HRESULT FilterGraph::SetTimeFormat(const GUID* pFormat) {
  if (!pFormat) return E_POINTER;
  std::lock_guard lock(lock_);
  if (state_ != State_Stopped) return VFW_E_WRONG_STATE;
  ComPtr<IMediaSeeking> seeking = SeekingLocked();
  if (!seeking) return *pFormat == TIME_FORMAT_MEDIA_TIME ? S_OK : E_INVALIDARG;
  if (HRESULT hr = seeking->SetTimeFormat(pFormat); FAILED(hr)) return hr;
  timeFormat_ = *pFormat;
  return S_OK;
}

HRESULT FilterGraph::GetDuration(LONGLONG* pDuration) {
  if (!pDuration) return E_POINTER;
  std::lock_guard lock(lock_);
  ComPtr<IMediaSeeking> seeking = SeekingLocked();
  return seeking ? seeking->GetDuration(pDuration) : E_NOTIMPL;
}

HRESULT FilterGraph::GetStopPosition(LONGLONG* pStop) {
  if (!pStop) return E_POINTER;
  std::lock_guard lock(lock_);
  ComPtr<IMediaSeeking> seeking = SeekingLocked();
  return seeking ? seeking->GetStopPosition(pStop) : E_NOTIMPL;
}

HRESULT FilterGraph::GetCurrentPosition(LONGLONG* pCurrent) {
  if (!pCurrent) return E_POINTER;
  std::lock_guard lock(lock_);
  const REFERENCE_TIME position = PositionLocked();
  ComPtr<IMediaSeeking> seeking = SeekingLocked();
  if (!seeking) {
    *pCurrent = position;
    return timeFormat_ == TIME_FORMAT_MEDIA_TIME ? S_OK : E_FAIL;
  }
  return seeking->ConvertTimeFormat(pCurrent, nullptr, position, &TIME_FORMAT_MEDIA_TIME);
}

HRESULT FilterGraph::ConvertTimeFormat(LONGLONG* pTarget, const GUID* pTargetFormat, LONGLONG Source,
                                       const GUID* pSourceFormat) {
  if (!pTarget) return E_POINTER;
  std::lock_guard lock(lock_);
  ComPtr<IMediaSeeking> seeking = SeekingLocked();
  if (!seeking) return E_NOTIMPL;
  return seeking->ConvertTimeFormat(pTarget, pTargetFormat, Source, pSourceFormat);
}

HRESULT FilterGraph::SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop, DWORD dwStopFlags) {
  std::lock_guard lock(lock_);
  return SeekLocked(pCurrent, dwCurrentFlags, pStop, dwStopFlags);
}

HRESULT FilterGraph::GetPositions(LONGLONG* pCurrent, LONGLONG* pStop) {
  HRESULT hr = S_OK;
  if (pCurrent) hr = GetCurrentPosition(pCurrent);
  if (SUCCEEDED(hr) && pStop) hr = GetStopPosition(pStop);
  return hr;
}

HRESULT FilterGraph::GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest) {
  std::lock_guard lock(lock_);
  ComPtr<IMediaSeeking> seeking = SeekingLocked();
  return seeking ? seeking->GetAvailable(pEarliest, pLatest) : E_NOTIMPL;
}

HRESULT FilterGraph::SetRate(double dRate) {
  if (dRate <= 0) return E_INVALIDARG;
  if (dRate == 1.0) return S_OK;
  // Playing at another rate is not offered; sound would need resampling.
  return FindInterface<IBasicAudio>() ? VFW_E_UNSUPPORTED_AUDIO : E_NOTIMPL;
}

HRESULT FilterGraph::GetRate(double* pdRate) {
  if (!pdRate) return E_POINTER;
  *pdRate = 1.0;
  return S_OK;
}

HRESULT FilterGraph::GetPreroll(LONGLONG* pllPreroll) {
  if (!pllPreroll) return E_POINTER;
  *pllPreroll = 0;
  return S_OK;
}

}  // namespace dshow
