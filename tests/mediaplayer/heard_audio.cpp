#include "tests/mediaplayer/heard_audio.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>

#include "tests/mediaplayer/player_media.h"

namespace mediaplayer_test {
namespace {

constexpr double kSilence = 0.02;    // RMS below this is silence (the tone is at 0.5 peak, -6 dB quieter)
constexpr double kShortest = 0.030;  // seconds

// Energy of one frequency over the window (Goertzel).
double Power(const float* samples, std::size_t count, double frequency, int rate) {
  const double w = 2 * M_PI * frequency / rate;
  const double coefficient = 2 * std::cos(w);
  double s1 = 0, s2 = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const double s0 = samples[i] + coefficient * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
}

}  // namespace

HeardAudio::HeardAudio(const std::string& file, CaptureFormat format) : rate_(format.rate) {
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t sampleSize = format.floatSamples ? 4 : 2;
  const std::size_t frameSize = sampleSize * format.channels;
  const std::size_t frames = bytes.size() / frameSize;
  samples_.resize(frames);
  for (std::size_t f = 0; f < frames; ++f) {
    double sum = 0;
    for (int c = 0; c < format.channels; ++c) {
      const char* at = bytes.data() + f * frameSize + c * sampleSize;
      if (format.floatSamples) {
        float value;
        std::memcpy(&value, at, 4);
        sum += value;
      } else {
        std::int16_t value;
        std::memcpy(&value, at, 2);
        sum += value / 32768.0;
      }
    }
    samples_[f] = static_cast<float>(sum / format.channels);
  }
  Analyse();
}

double HeardAudio::Length() const { return static_cast<double>(samples_.size()) / rate_; }

int HeardAudio::ToneAt(std::size_t first, std::size_t count) const {
  int best = -1;
  double bestPower = 0;
  double total = 0;
  for (int second = 0; second < kToneSeconds; ++second) {
    const double power = Power(samples_.data() + first, count, ToneFrequency(second), rate_);
    total += power;
    if (power > bestPower) {
      bestPower = power;
      best = second;
    }
  }
  return total > 0 && bestPower > 0.5 * total ? best : -1;
}

void HeardAudio::Analyse() {
  const std::size_t step = static_cast<std::size_t>(rate_ * kStep);
  const std::size_t steps = step ? samples_.size() / step : 0;
  std::vector<bool> loud(steps);
  for (std::size_t i = 0; i < steps; ++i) {
    double energy = 0;
    for (std::size_t j = 0; j < step; ++j) energy += samples_[i * step + j] * samples_[i * step + j];
    loud[i] = std::sqrt(energy / step) > kSilence;
  }
  const std::size_t bridge = static_cast<std::size_t>(kShortest / kStep);
  std::size_t i = 0;
  while (i < steps) {
    if (!loud[i]) {
      ++i;
      continue;
    }
    std::size_t end = i;
    std::size_t quiet = 0;
    for (std::size_t j = i; j < steps && quiet < bridge; ++j) {
      if (loud[j]) {
        end = j + 1;
        quiet = 0;
      } else {
        ++quiet;
      }
    }
    if ((end - i) * kStep >= kShortest) {
      SoundRun run;
      run.start = i * kStep;
      run.length = (end - i) * kStep;
      // Two steps per window: a 20 ms window tells tones 150 Hz apart.
      for (std::size_t k = i; k < end; ++k) {
        const std::size_t count = std::min(2 * step, samples_.size() - k * step);
        run.seconds.push_back(ToneAt(k * step, count));
      }
      int current = -1;
      for (std::size_t k = 0; k < run.seconds.size(); ++k) {
        const int second = run.seconds[k];
        if (second < 0 || second == current) continue;
        // A change must hold for three steps to count (one window may straddle it).
        bool holds = k + 2 < run.seconds.size() && run.seconds[k + 1] == second && run.seconds[k + 2] == second;
        if (!holds && k + 2 >= run.seconds.size()) holds = true;
        if (!holds) continue;
        run.changes.push_back({k * kStep, second});
        current = second;
      }
      runs_.push_back(run);
    }
    i = end;
  }
}

}  // namespace mediaplayer_test
