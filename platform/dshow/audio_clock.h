// The audio renderer's clock as a value: what is being heard now, worked out from what was handed to
// the device and when the device plays it. Times are 100 ns units: `now` and `heardAt` on the
// steady clock, the readings in stream time plus the start time the graph ran the renderer with.
//
// The reading never goes back. It stands still while nothing is heard (paused, starting up, waiting
// for data) and, once the last sample of the stream has been heard, runs on with the steady time.
// Not locked: the renderer guards it with its own lock.
#pragma once

#include <cstdint>

#include "platform/dshow/media_types.h"

namespace dshow {

class AudioClock {
 public:
  explicit AudioClock(int rate = 48000) : rate_(rate) {}

  void SetRate(int rate) { rate_ = rate; }
  REFERENCE_TIME TimeOf(int64_t frames) const;  // rounded to the nearest unit
  int64_t FramesOf(REFERENCE_TIME time) const;  // rounded to the nearest frame

  // The reading at `now`, which is remembered: a later reading is never smaller.
  REFERENCE_TIME Read(REFERENCE_TIME now);

  // The graph runs the stream from `now` on with this start time (again, after a seek, while
  // running). Nothing counts as heard until the next hand-over.
  void Run(REFERENCE_TIME start, REFERENCE_TIME now);
  // Paused at `now` after `handedFrames` of the segment went to the device: the device plays out
  // what it holds, so the clock resumes from their end.
  void Pause(REFERENCE_TIME now, int64_t handedFrames);
  // Stopped, or the stream flushed: nothing handed over counts any more.
  void Stop();
  void Forget();
  bool Running() const { return running_; }

  // `frames` segment samples from `first` on start to be heard at `heardAt`.
  void HandedOver(REFERENCE_TIME heardAt, int64_t first, int64_t frames);
  // The last sample of the stream has been handed over (the last chunk, or nothing more at `now`).
  void HandedOverEnd(REFERENCE_TIME now);
  bool EndHandedOver() const { return ended_; }
  bool EndHeard(REFERENCE_TIME now) const { return ended_ && now >= endHeardAt_; }

 private:
  int rate_;
  REFERENCE_TIME start_ = 0;
  bool running_ = false;
  bool sounding_ = false;            // the chunk below is being heard
  REFERENCE_TIME chunkHeardAt_ = 0;  // when its first frame is heard
  int64_t chunkFirst_ = 0;           // its segment sample number
  int64_t chunkFrames_ = 0;
  bool ended_ = false;
  REFERENCE_TIME endHeardAt_ = 0;
  REFERENCE_TIME last_ = 0;  // the last reading, and when it was taken
  REFERENCE_TIME lastAt_ = 0;
};

}  // namespace dshow
