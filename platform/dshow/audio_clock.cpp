#include "platform/dshow/audio_clock.h"

#include <algorithm>

namespace dshow {
namespace {

// a * b / c rounded to the nearest, without overflow.
int64_t Scale(int64_t a, int64_t b, int64_t c) {
  const __int128 product = static_cast<__int128>(a) * b;
  return static_cast<int64_t>((product + (product >= 0 ? c / 2 : -c / 2)) / c);
}

}  // namespace

REFERENCE_TIME AudioClock::TimeOf(int64_t frames) const { return Scale(frames, UNITS, rate_); }

int64_t AudioClock::FramesOf(REFERENCE_TIME time) const { return Scale(time, rate_, UNITS); }

REFERENCE_TIME AudioClock::Read(REFERENCE_TIME now) {
  REFERENCE_TIME time = last_;
  if (running_ && EndHeard(now)) {
    time = last_ + (now - lastAt_);  // the sound has ended: on with the steady time
  } else if (running_ && sounding_) {
    const int64_t heard = std::clamp<int64_t>(FramesOf(now - chunkHeardAt_), 0, chunkFrames_);
    time = start_ + TimeOf(chunkFirst_ + heard);
  }
  last_ = std::max(time, last_);
  lastAt_ = now;
  return last_;
}

void AudioClock::Run(REFERENCE_TIME start, REFERENCE_TIME now) {
  Read(now);
  start_ = start;
  if (running_) return;
  running_ = true;
  sounding_ = false;
}

void AudioClock::Pause(REFERENCE_TIME now, int64_t handedFrames) {
  Read(now);
  running_ = false;
  last_ = std::max(last_, start_ + TimeOf(handedFrames));
}

void AudioClock::Stop() {
  running_ = false;
  Forget();
}

void AudioClock::Forget() {
  sounding_ = false;
  ended_ = false;
}

void AudioClock::HandedOver(REFERENCE_TIME heardAt, int64_t first, int64_t frames) {
  sounding_ = true;
  chunkHeardAt_ = heardAt;
  chunkFirst_ = first;
  chunkFrames_ = frames;
}

void AudioClock::HandedOverEnd(REFERENCE_TIME now) {
  ended_ = true;
  endHeardAt_ = sounding_ ? chunkHeardAt_ + TimeOf(chunkFrames_) : now;
}

}  // namespace dshow
