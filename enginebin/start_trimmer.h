#pragma once
// Decides how many decoded samples lie before the requested start. A seek lands on a packet at
// or before the start, so the first frames after it are partly or wholly too early; dropping
// exactly those samples makes the cut sample-accurate.

#include <cstdint>
#include <optional>

namespace enginebin {

class StartTrimmer {
 public:
  // start: microseconds on the input's timeline. Zero keeps everything from the first sample.
  explicit StartTrimmer(int64_t start);

  // How many leading samples of this frame to drop (0 ... sample_count). frame_time is the
  // frame's timestamp in microseconds on the same timeline, when the input gives one.
  int samples_to_drop(std::optional<int64_t> frame_time, int sample_count, int sample_rate);

  // True once a sample at or after the start has been kept.
  bool reached() const { return reached_; }

 private:
  // Where the previous frame ended, in microseconds, if a frame has been seen at this rate.
  std::optional<int64_t> previous_end(int sample_rate) const;

  int64_t start_;  // microseconds
  bool reached_;
  // The frames seen so far run continuously from anchor_time_ (microseconds) for
  // anchor_samples_ samples at anchor_rate_ (Hz); kept in samples so no rounding accumulates.
  std::optional<int64_t> anchor_time_;
  int64_t anchor_samples_ = 0;
  int anchor_rate_ = 0;
};

}  // namespace enginebin
