// The audio renderer on SDL 2, and the graph's reference clock.
//
// Samples wait in a ring of half a second on the renderer's timeline (segment-relative sample
// numbers): gaps between timestamps are filled with silence, overlaps are cut, so that the sample
// number of what is played is its stream time. SDL's audio thread pulls from the ring through the
// callback, which notes when the chunk it hands over starts to be heard (now plus the device's own
// delay). The clock is the stream time of the sample being heard now, plus the start time the
// graph ran the filter with; it never goes back, and it stands still while nothing is heard
// (paused, starting up, waiting for data).
//
// Start-up: after Run the callback hands over only silence for kStartupSilence, during which the
// clock stays at the start position; so a Pause that follows a Run within that time lets nothing
// of the stream reach the device. The device is opened on Pause (from Stopped) and closed on Stop,
// which joins SDL's audio thread; it is paused while the filter is not running, so that the
// callback is not asked for anything then. What the device already holds when it is paused is at
// most one of its buffers.
//
// EC_COMPLETE is sent once the last sample after the end of the stream has been heard.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/dshow/audio_clock.h"
#include "platform/dshow/base_filter.h"
#include "platform/dshow/class_ids.h"
#include "platform/dshow/control_interfaces.h"
#include "platform/dshow/event_codes.h"
#include "platform/dshow/filter_factories.h"
#include "platform/dshow/forwarding_input_pin.h"
#include "platform/dshow/system_clock.h"

namespace dshow {
namespace {

constexpr REFERENCE_TIME kStartupSilence = UNITS / 10;  // covers a pause that follows within 50 ms
constexpr REFERENCE_TIME kUnderrunGrace = UNITS / 4;    // then the clock goes on through the gap
constexpr REFERENCE_TIME kRingLength = UNITS / 2;
constexpr REFERENCE_TIME kCueLength = UNITS / 10;
constexpr REFERENCE_TIME kTimestampJitter = UNITS / 50;

// SDL's audio is started for each use and ended after the last (SDL itself with it, which the
// product uses for nothing else); its calls are serialised here.
std::mutex& SdlLock() {
  static std::mutex lock;
  return lock;
}
int sdlUsers = 0;  // guarded by SdlLock()

bool InitSdlAudio() {
  std::lock_guard lock(SdlLock());
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    if (sdlUsers == 0) SDL_Quit();
    return false;
  }
  ++sdlUsers;
  return true;
}

// A driver can start without any device behind it (ALSA on a machine without a sound card); only
// opening one tells. The file and null drivers always open, and opening the file would truncate it.
bool AudioOutputOpens() {
  std::lock_guard lock(SdlLock());
  const char* driver = SDL_GetCurrentAudioDriver();
  if (driver && (std::strcmp(driver, "disk") == 0 || std::strcmp(driver, "dummy") == 0)) return true;
  SDL_AudioSpec want{};
  want.freq = 48000;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, SDL_AUDIO_ALLOW_ANY_CHANGE);
  if (device == 0) return false;
  SDL_CloseAudioDevice(device);
  return true;
}

void QuitSdlAudio() {
  std::lock_guard lock(SdlLock());
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  if (--sdlUsers == 0) SDL_Quit();
}

class AudioRenderer final : public BaseFilter,
                            public IReferenceClock,
                            public NoTypeInfo<IBasicAudio>,
                            private InputHandler {
 public:
  AudioRenderer() : BaseFilter(CLSID_DSoundRender), input_(*this, u"Audio Input pin (rendered)", *this) {}
  ~AudioRenderer() override { Stop(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return BaseFilter::QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return BaseFilter::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return BaseFilter::Release(); }

  // IReferenceClock
  HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* pTime) override;
  HRESULT STDMETHODCALLTYPE AdviseTime(REFERENCE_TIME, REFERENCE_TIME, HEVENT, DWORD_PTR* cookie) override {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE AdvisePeriodic(REFERENCE_TIME, REFERENCE_TIME, HSEMAPHORE, DWORD_PTR* cookie) override {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD_PTR) override { return S_FALSE; }

  HRESULT STDMETHODCALLTYPE put_Volume(LONG lVolume) override;
  HRESULT STDMETHODCALLTYPE get_Volume(LONG* plVolume) override;
  HRESULT STDMETHODCALLTYPE put_Balance(LONG lBalance) override;
  HRESULT STDMETHODCALLTYPE get_Balance(LONG* plBalance) override;

  std::vector<BasePin*> Pins() override { return {&input_}; }

 private:
  // The input pin's calls (the decoder's thread).
  HRESULT CheckInputType(const AM_MEDIA_TYPE& mt) override;
  HRESULT OnInputConnected(const MediaType& type) override;
  HRESULT OnReceive(IMediaSample* sample) override;
  HRESULT OnEndOfStream() override;
  HRESULT OnBeginFlush() override;
  HRESULT OnEndFlush() override;
  HRESULT OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

  HRESULT QueryExtra(REFIID riid, void** object) override;
  HRESULT OnPause(FILTER_STATE from) override;
  HRESULT OnRun(REFERENCE_TIME start, FILTER_STATE from) override;
  void OnStop() override;
  HRESULT WaitForState(DWORD milliseconds) override;

  static void SDLCALL Callback(void* self, Uint8* stream, int length) {
    static_cast<AudioRenderer*>(self)->Fill(reinterpret_cast<int16_t*>(stream), length);
  }
  void Fill(int16_t* out, int length);
  REFERENCE_TIME TimeOf(int64_t frames) const { return clock_.TimeOf(frames); }
  int64_t FramesOf(REFERENCE_TIME time) const { return clock_.FramesOf(time); }
  void ClearRingLocked();
  void ApplyVolume(int16_t* samples, int frames) const;
  // Pauses or resumes the device's calls for sound (never with lock_ held: the callback takes it).
  void PauseDevice(bool pause);

  ForwardingInputPin input_;

  // Fixed while connected:
  int rate_ = 48000;
  int channels_ = 2;
  int blockAlign_ = 4;

  // Opened and closed by the control calls (Pause, Stop), serialised by the graph:
  SDL_AudioDeviceID device_ = 0;
  bool sdlInitialised_ = false;

  std::mutex lock_;
  std::condition_variable changed_;  // room in the ring, cue, state changes
  // Guarded by lock_:
  std::vector<int16_t> ring_;
  std::size_t ringRead_ = 0;    // frame index into ring_
  std::size_t ringFrames_ = 0;  // frames waiting
  int64_t writeFrame_ = 0;      // segment sample number of the next frame to enter the ring
  int64_t readFrame_ = 0;       // segment sample number of the next frame to be handed to SDL
  int64_t segmentEnd_ = INT64_MAX;
  bool active_ = false;  // paused or running (the device is open)
  bool flushing_ = false;
  bool endOfStream_ = false;
  bool completed_ = false;
  bool cued_ = false;
  AudioClock clock_;                  // running while the filter runs
  REFERENCE_TIME startupEnd_ = 0;     // steady time until which only silence is handed over
  REFERENCE_TIME underrunSince_ = 0;  // steady time the ring ran dry, 0 when not dry
  REFERENCE_TIME deviceDelay_ = 0;
  LONG volume_ = 0;
  LONG balance_ = 0;
};

HRESULT AudioRenderer::CheckInputType(const AM_MEDIA_TYPE& mt) {
  if (mt.majortype != MEDIATYPE_Audio || mt.subtype != MEDIASUBTYPE_PCM) return S_FALSE;
  const WAVEFORMATEX* format = WaveFormatOf(mt);
  if (!format || format->wFormatTag != WAVE_FORMAT_PCM || format->wBitsPerSample != 16 || format->nChannels < 1 ||
      format->nChannels > 2 || format->nSamplesPerSec < 1000 || format->nSamplesPerSec > 384000)
    return S_FALSE;
  return S_OK;
}

HRESULT AudioRenderer::QueryExtra(REFIID riid, void** object) {
  if (riid == IID_IReferenceClock) return Hand(static_cast<IReferenceClock*>(this), object);
  if (riid == IID_IBasicAudio || riid == IID_IDispatch) return Hand(static_cast<IBasicAudio*>(this), object);
  return E_NOINTERFACE;
}

HRESULT AudioRenderer::OnInputConnected(const MediaType& type) {
  const WAVEFORMATEX* format = type.WaveFormat();
  if (!format) return VFW_E_TYPE_NOT_ACCEPTED;
  std::lock_guard lock(lock_);
  rate_ = static_cast<int>(format->nSamplesPerSec);
  clock_.SetRate(rate_);
  channels_ = format->nChannels;
  blockAlign_ = channels_ * 2;
  ring_.assign(static_cast<std::size_t>(FramesOf(kRingLength)) * channels_, 0);
  ringRead_ = ringFrames_ = 0;
  return S_OK;
}

// ---- clock ----

HRESULT AudioRenderer::GetTime(REFERENCE_TIME* pTime) {
  if (!pTime) return E_POINTER;
  std::lock_guard lock(lock_);
  *pTime = clock_.Read(SteadyNow());
  return S_OK;
}

// ---- SDL's thread ----

void AudioRenderer::Fill(int16_t* out, int length) {
  const int frames = length / blockAlign_;
  std::memset(out, 0, static_cast<std::size_t>(length));
  bool complete = false;
  {
    std::lock_guard lock(lock_);
    const REFERENCE_TIME now = SteadyNow();
    clock_.Read(now);
    if (clock_.Running() && !flushing_ && now >= startupEnd_ && !ring_.empty()) {
      const std::size_t capacity = ring_.size() / channels_;
      int copied = 0;
      while (copied < frames && ringFrames_ > 0) {
        const std::size_t run =
            std::min({static_cast<std::size_t>(frames - copied), ringFrames_, capacity - ringRead_});
        std::memcpy(out + static_cast<std::size_t>(copied) * channels_, ring_.data() + ringRead_ * channels_,
                    run * blockAlign_);
        copied += static_cast<int>(run);
        ringFrames_ -= run;
        ringRead_ = (ringRead_ + run) % capacity;
      }
      int64_t counted = copied;
      if (copied < frames && !endOfStream_) {
        // Dry: the clock waits a little, then goes on through the silence so that the rest of
        // the stream still plays at its time (the ring drops what arrives late).
        if (underrunSince_ == 0) underrunSince_ = now;
        if (now - underrunSince_ >= kUnderrunGrace) {
          counted = frames;
          writeFrame_ = std::max(writeFrame_, readFrame_ + counted);
        }
      } else {
        underrunSince_ = 0;
      }
      if (counted > 0) {
        clock_.HandedOver(now + deviceDelay_, readFrame_, counted);
        readFrame_ += counted;
      }
      if (endOfStream_ && ringFrames_ == 0 && !clock_.EndHandedOver()) clock_.HandedOverEnd(now);
      if (!completed_ && clock_.EndHeard(now)) complete = completed_ = true;
      if (copied > 0) ApplyVolume(out, copied);
    }
  }
  changed_.notify_all();
  if (complete) NotifyEvent(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
}

void AudioRenderer::ApplyVolume(int16_t* samples, int frames) const {
  if (volume_ == 0 && balance_ == 0) return;
  const double gain = volume_ <= -10000 ? 0.0 : std::pow(10.0, volume_ / 2000.0);
  double left = gain, right = gain;
  if (channels_ == 2) {
    if (balance_ > 0) left *= std::pow(10.0, -balance_ / 2000.0);
    if (balance_ < 0) right *= std::pow(10.0, balance_ / 2000.0);
  }
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels_; ++c) {
      int16_t& s = samples[i * channels_ + c];
      s = static_cast<int16_t>(std::lround(s * (c == 0 ? left : right)));
    }
  }
}

// ---- streaming (the decoder's thread) ----

HRESULT AudioRenderer::OnReceive(IMediaSample* sample) {
  if (State() == State_Stopped) return VFW_E_WRONG_STATE;
  BYTE* data = nullptr;
  if (FAILED(sample->GetPointer(&data))) return E_POINTER;
  int64_t frames = sample->GetActualDataLength() / blockAlign_;
  const int16_t* samples = reinterpret_cast<const int16_t*>(data);
  REFERENCE_TIME start = 0, stop = 0;
  const bool timed = SUCCEEDED(sample->GetTime(&start, &stop));

  std::unique_lock lock(lock_);
  if (flushing_ || !active_) return S_FALSE;
  if (endOfStream_) return VFW_E_SAMPLE_REJECTED_EOS;
  int64_t silence = 0;
  if (timed) {
    const int64_t first = FramesOf(start);
    const int64_t jitter = FramesOf(kTimestampJitter);
    if (first > writeFrame_ + jitter) {
      silence = first - writeFrame_;
    } else if (first < writeFrame_ - jitter) {
      const int64_t drop = std::min(writeFrame_ - first, frames);
      samples += drop * channels_;
      frames -= drop;
    }
  }
  const int64_t room = segmentEnd_ - writeFrame_;
  silence = std::clamp<int64_t>(silence, 0, std::max<int64_t>(room, 0));
  frames = std::clamp<int64_t>(frames, 0, std::max<int64_t>(room - silence, 0));
  const std::size_t capacity = ring_.size() / channels_;
  while (silence > 0 || frames > 0) {
    changed_.wait(lock, [&] { return flushing_ || !active_ || ringFrames_ < capacity; });
    if (flushing_ || !active_) return S_FALSE;
    std::size_t free = capacity - ringFrames_;
    while (free > 0 && (silence > 0 || frames > 0)) {
      const std::size_t at = (ringRead_ + ringFrames_) % capacity;
      const std::size_t run = std::min(free, capacity - at);
      const std::size_t zeros = static_cast<std::size_t>(std::min<int64_t>(silence, static_cast<int64_t>(run)));
      std::fill_n(ring_.data() + at * channels_, zeros * channels_, int16_t{0});
      const std::size_t copy = static_cast<std::size_t>(std::min<int64_t>(frames, static_cast<int64_t>(run - zeros)));
      std::memcpy(ring_.data() + (at + zeros) * channels_, samples, copy * blockAlign_);
      samples += copy * channels_;
      silence -= static_cast<int64_t>(zeros);
      frames -= static_cast<int64_t>(copy);
      ringFrames_ += zeros + copy;
      writeFrame_ += static_cast<int64_t>(zeros + copy);
      free -= zeros + copy;
    }
    if (!cued_ && static_cast<int64_t>(ringFrames_) >= FramesOf(kCueLength)) {
      cued_ = true;
      changed_.notify_all();
    }
  }
  if (!cued_ && ringFrames_ == capacity) {
    cued_ = true;
    changed_.notify_all();
  }
  return S_OK;
}

HRESULT AudioRenderer::OnEndOfStream() {
  {
    std::lock_guard lock(lock_);
    if (flushing_ || !active_) return S_OK;
    endOfStream_ = true;
    cued_ = true;
  }
  changed_.notify_all();
  return S_OK;
}

void AudioRenderer::ClearRingLocked() {
  ringRead_ = ringFrames_ = 0;
  writeFrame_ = readFrame_ = 0;
  endOfStream_ = completed_ = cued_ = false;
  clock_.Forget();
  underrunSince_ = 0;
}

HRESULT AudioRenderer::OnBeginFlush() {
  {
    std::lock_guard lock(lock_);
    flushing_ = true;
    ClearRingLocked();
  }
  changed_.notify_all();
  return S_OK;
}

HRESULT AudioRenderer::OnEndFlush() {
  std::lock_guard lock(lock_);
  flushing_ = false;
  return S_OK;
}

HRESULT AudioRenderer::OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double) {
  std::lock_guard lock(lock_);
  segmentEnd_ = stop > start ? FramesOf(stop - start) : INT64_MAX;
  return S_OK;
}

void AudioRenderer::PauseDevice(bool pause) {
  if (device_) SDL_PauseAudioDevice(device_, pause ? 1 : 0);
}

// ---- states ----

HRESULT AudioRenderer::OnPause(FILTER_STATE from) {
  if (from == State_Running) {
    {
      std::lock_guard lock(lock_);
      clock_.Pause(SteadyNow(), readFrame_);
    }
    PauseDevice(true);
    return S_OK;
  }
  if (from != State_Stopped) return S_OK;
  if (!input_.IsConnected()) return VFW_E_NOT_CONNECTED;
  if (!InitSdlAudio()) return VFW_E_NO_AUDIO_HARDWARE;
  sdlInitialised_ = true;
  SDL_AudioSpec want{};
  SDL_AudioSpec have{};
  {
    std::lock_guard lock(lock_);
    want.freq = rate_;
    want.channels = static_cast<Uint8>(channels_);
    ClearRingLocked();
    active_ = true;
    flushing_ = false;
  }
  want.format = AUDIO_S16SYS;
  int samples = 256;
  while (samples * 2 * 40 <= want.freq && samples < 8192) samples *= 2;  // at most 25 ms: 1024 at 48 kHz
  want.samples = static_cast<Uint16>(samples);
  want.callback = &AudioRenderer::Callback;
  want.userdata = this;
  {
    std::lock_guard lock(SdlLock());
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  }
  if (!device_) {
    std::lock_guard lock(lock_);
    active_ = false;
    return VFW_E_NO_AUDIO_HARDWARE;
  }
  {
    std::lock_guard lock(lock_);
    // Drivers that write what they are given at once add no delay of their own; others hold
    // about one more buffer than the one being filled.
    const char* driver = SDL_GetCurrentAudioDriver();
    const bool immediate = driver && (std::strcmp(driver, "disk") == 0 || std::strcmp(driver, "dummy") == 0);
    deviceDelay_ = immediate ? 0 : AudioClock(have.freq > 0 ? have.freq : rate_).TimeOf(have.samples);
  }
  return S_OK;  // the device stays paused until Run
}

HRESULT AudioRenderer::OnRun(REFERENCE_TIME start, FILTER_STATE from) {
  {
    std::lock_guard lock(lock_);
    const REFERENCE_TIME now = SteadyNow();
    clock_.Run(start, now);
    if (from != State_Running) {
      startupEnd_ = now + kStartupSilence;
      underrunSince_ = 0;
    }
  }
  changed_.notify_all();
  if (from != State_Running) PauseDevice(false);
  return S_OK;
}

void AudioRenderer::OnStop() {
  {
    std::lock_guard lock(lock_);
    active_ = false;
    clock_.Stop();
  }
  changed_.notify_all();
  if (device_) {
    std::lock_guard lock(SdlLock());
    SDL_CloseAudioDevice(device_);  // joins SDL's audio thread
    device_ = 0;
  }
  if (sdlInitialised_) {
    QuitSdlAudio();
    sdlInitialised_ = false;
  }
  std::lock_guard lock(lock_);
  ClearRingLocked();
}

HRESULT AudioRenderer::WaitForState(DWORD milliseconds) {
  if (State() != State_Paused) return S_OK;
  std::unique_lock lock(lock_);
  const auto cued = [&] { return cued_ || !active_ || flushing_; };
  if (milliseconds == INFINITE)
    changed_.wait(lock, cued);
  else
    changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), cued);
  return cued_ || !active_ ? S_OK : VFW_S_STATE_INTERMEDIATE;
}

// ---- IBasicAudio ----

HRESULT AudioRenderer::put_Volume(LONG lVolume) {
  if (lVolume < -10000 || lVolume > 0) return E_INVALIDARG;
  std::lock_guard lock(lock_);
  volume_ = lVolume;
  return S_OK;
}

HRESULT AudioRenderer::get_Volume(LONG* plVolume) {
  if (!plVolume) return E_POINTER;
  std::lock_guard lock(lock_);
  *plVolume = volume_;
  return S_OK;
}

HRESULT AudioRenderer::put_Balance(LONG lBalance) {
  if (lBalance < -10000 || lBalance > 10000) return E_INVALIDARG;
  std::lock_guard lock(lock_);
  balance_ = lBalance;
  return S_OK;
}

HRESULT AudioRenderer::get_Balance(LONG* plBalance) {
  if (!plBalance) return E_POINTER;
  std::lock_guard lock(lock_);
  *plBalance = balance_;
  return S_OK;
}

}  // namespace

HRESULT CreateAudioRenderer(IUnknown* outer, REFIID riid, void** object) {
  if (object) *object = nullptr;
  // Without a working audio output there is nothing to render to: the graph then plays the
  // pictures alone, on the system clock.
  bool working = InitSdlAudio();
  if (working) {
    working = AudioOutputOpens();
    QuitSdlAudio();
  }
  // A graph may be built on a thread that SDL did not start: what SDL keeps per thread (its error
  // text) would be lost when that thread ends.
  SDL_TLSCleanup();
  if (!working) return VFW_E_NO_AUDIO_HARDWARE;
  return CreateFilterInstance<AudioRenderer>(outer, riid, object);
}

}  // namespace dshow
