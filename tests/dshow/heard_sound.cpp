#include "tests/dshow/heard_sound.h"

namespace dshow_test {
namespace {
constexpr std::size_t kSoundRun = 4;
}

std::size_t HeardSound::FirstSound(std::size_t from) const {
  for (std::size_t i = from; i + kSoundRun <= Frames(); ++i) {
    bool sound = true;
    for (std::size_t j = 0; j < kSoundRun && sound; ++j) sound = !Silent(i + j);
    if (sound) return i;
  }
  return npos;
}

std::size_t HeardSound::LastSound() const {
  for (std::size_t i = Frames(); i >= kSoundRun; --i) {
    bool sound = true;
    for (std::size_t j = 1; j <= kSoundRun && sound; ++j) sound = !Silent(i - j);
    if (sound) return i - 1;
  }
  return npos;
}

int64_t HeardSound::SourceSample(std::size_t frame, int64_t hint) const {
  const int64_t count = static_cast<int64_t>(samples_[2 * frame + 1]) + 32768;  // sample number modulo 65536
  int64_t difference = (count - hint) % 65536;
  if (difference < -32768) difference += 65536;
  if (difference >= 32768) difference -= 65536;
  return hint + difference;
}

std::size_t HeardSound::ContinuousRun(std::size_t frame) const {
  std::size_t n = 1;
  while (frame + n < Frames() &&
         ((samples_[2 * (frame + n) + 1] - samples_[2 * (frame + n - 1) + 1] + 65536) % 65536) == 1)
    ++n;
  return n;
}

double HeardSound::Pitch(std::size_t frame, std::size_t length, int rate) const {
  int crossings = 0;
  for (std::size_t i = frame + 1; i < frame + length && i < Frames(); ++i)
    if ((samples_[2 * (i - 1)] < 0) != (samples_[2 * i] < 0)) ++crossings;
  return crossings / 2.0 * rate / static_cast<double>(length);
}

}  // namespace dshow_test
