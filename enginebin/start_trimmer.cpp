#include "start_trimmer.h"

#include <cstdlib>

#include "time_code.h"

namespace enginebin {
namespace {

// Containers that round timestamps (to milliseconds, say) would make the cut wobble, so a
// timestamp this close to where the previous frame ended is taken as continuous, not exact.
constexpr int64_t kContinuityTolerance = 2'000;  // microseconds

}  // namespace

StartTrimmer::StartTrimmer(int64_t start) : start_(start), reached_(start <= 0) {}

std::optional<int64_t> StartTrimmer::previous_end(int sample_rate) const {
  if (!anchor_time_ || anchor_rate_ != sample_rate) return std::nullopt;
  return *anchor_time_ + anchor_samples_ * kMicrosPerSecond / anchor_rate_;
}

int StartTrimmer::samples_to_drop(std::optional<int64_t> frame_time, int sample_count, int sample_rate) {
  if (reached_ || sample_count <= 0 || sample_rate <= 0) return 0;

  const auto continuous_at = previous_end(sample_rate);
  const bool continuous =
      continuous_at && (!frame_time || std::abs(*frame_time - *continuous_at) <= kContinuityTolerance);
  if (!continuous) {
    // A new run: at the frame's own time, or, with no timestamp at all, where the seek was
    // asked to land.
    anchor_time_ = frame_time.value_or(start_);
    anchor_samples_ = 0;
    anchor_rate_ = sample_rate;
  }
  const int64_t frame_begin = *previous_end(sample_rate);
  // Checked in time first, so that a start far away cannot overflow the sample arithmetic.
  if (start_ - frame_begin >= sample_count * kMicrosPerSecond / sample_rate + 1) {
    anchor_samples_ += sample_count;
    return sample_count;
  }
  // The first kept sample is the one nearest to the start, counted from the run's anchor.
  const int64_t start_sample = ((start_ - *anchor_time_) * sample_rate + kMicrosPerSecond / 2) / kMicrosPerSecond;
  const int64_t early = start_sample - anchor_samples_;
  if (early >= sample_count) {
    anchor_samples_ += sample_count;
    return sample_count;
  }
  reached_ = true;
  return static_cast<int>(early > 0 ? early : 0);
}

}  // namespace enginebin
