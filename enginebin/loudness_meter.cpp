#include "loudness_meter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace enginebin {
namespace {

constexpr double kAbsoluteGate = -70.0;  // LUFS
constexpr double kRelativeGate = -10.0;  // LU below the loudness of what passed the absolute gate
constexpr int kStepsPerBlock = 4;        // 400 ms blocks, a new one every 100 ms

// The Kaiser window's Bessel function I0, by its power series.
double bessel_i0(double x) {
  double sum = 1, term = 1;
  for (int k = 1; k < 40; ++k) {
    term *= (x / (2 * k)) * (x / (2 * k));
    sum += term;
  }
  return sum;
}

double loudness_of(double mean_square) {
  return mean_square > 0 ? -0.691 + 10 * std::log10(mean_square) : -std::numeric_limits<double>::infinity();
}

}  // namespace

double LoudnessMeter::Biquad::run(double x) {
  const double y = b[0] * x + z1;
  z1 = b[1] * x - a[1] * y + z2;
  z2 = b[2] * x - a[2] * y;
  return y;
}

LoudnessMeter::LoudnessMeter(int sample_rate, std::vector<double> weights)
    : weights_(std::move(weights)), history_(weights_.size()), step_length_(std::max(1, sample_rate / 10)) {
  // The K-weighting's analogue stages, made digital for this rate by the bilinear transform: a
  // shelf of about +4 dB above 1.5 kHz (the head's effect), then a high-pass near 38 Hz.
  const double rate = sample_rate;
  Biquad shelf;
  {
    const double f0 = 1681.974450955533, gain_db = 3.999843853973347, q = 0.7071752369554196;
    const double k = std::tan(std::numbers::pi * f0 / rate);
    const double vh = std::pow(10.0, gain_db / 20), vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1 + k / q + k * k;
    shelf.b = {(vh + vb * k / q + k * k) / a0, 2 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0};
    shelf.a = {1, 2 * (k * k - 1) / a0, (1 - k / q + k * k) / a0};
  }
  Biquad high_pass;
  {
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    const double k = std::tan(std::numbers::pi * f0 / rate);
    const double a0 = 1 + k / q + k * k;
    high_pass.b = {1, -2, 1};
    high_pass.a = {1, 2 * (k * k - 1) / a0, (1 - k / q + k * k) / a0};
  }
  shelf_.assign(weights_.size(), shelf);
  high_pass_.assign(weights_.size(), high_pass);

  // Four-times oversampling by a Kaiser-windowed sinc whose phases each pass the band up to
  // 0.4 of the rate within 0.01 dB, so that peaks between samples are not underestimated.
  constexpr int kTaps = kPhases * kTapsPerPhase;
  constexpr double kBeta = 8;
  for (int n = 0; n < kTaps; ++n) {
    const double t = (n - (kTaps - 1) / 2.0) / kPhases;
    const double sinc = t == 0 ? 1 : std::sin(std::numbers::pi * t) / (std::numbers::pi * t);
    const double r = 2 * (n + 0.5) / kTaps - 1;
    const double window = bessel_i0(kBeta * std::sqrt(std::max(0.0, 1 - r * r))) / bessel_i0(kBeta);
    taps_[static_cast<std::size_t>(n)] = sinc * window;
  }
  for (int phase = 0; phase < kPhases; ++phase) {
    double sum = 0;
    for (int k = 0; k < kTapsPerPhase; ++k) sum += taps_[static_cast<std::size_t>(phase + k * kPhases)];
    for (int k = 0; k < kTapsPerPhase; ++k) taps_[static_cast<std::size_t>(phase + k * kPhases)] /= sum;
  }
}

double LoudnessMeter::oversampled_peak(std::size_t channel, double sample) {
  auto& history = history_[channel];
  std::copy_backward(history.begin(), history.end() - 1, history.end());
  history[0] = sample;
  double peak = std::abs(sample);
  for (int phase = 0; phase < kPhases; ++phase) {
    double value = 0;
    for (int k = 0; k < kTapsPerPhase; ++k)
      value += taps_[static_cast<std::size_t>(phase + k * kPhases)] * history[static_cast<std::size_t>(k)];
    peak = std::max(peak, std::abs(value));
  }
  return peak;
}

void LoudnessMeter::add(const float* samples, int frames) {
  const std::size_t channels = weights_.size();
  for (int frame = 0; frame < frames; ++frame) {
    for (std::size_t c = 0; c < channels; ++c) {
      const double x = samples[static_cast<std::size_t>(frame) * channels + c];
      peak_ = std::max(peak_, oversampled_peak(c, x));
      const double weighted = high_pass_[c].run(shelf_[c].run(x));
      step_energy_ += weights_[c] * weighted * weighted;
    }
    if (++step_filled_ == step_length_) end_step();
  }
}

void LoudnessMeter::end_step() {
  step_energies_.push_back(step_energy_);
  step_energy_ = 0;
  step_filled_ = 0;
}

double LoudnessMeter::integrated() const {
  // A signal shorter than one block is measured as the one block it has.
  if (step_energies_.size() < static_cast<std::size_t>(kStepsPerBlock)) {
    double energy = step_energy_;
    for (const double step : step_energies_) energy += step;
    const std::size_t samples =
        step_energies_.size() * static_cast<std::size_t>(step_length_) + static_cast<std::size_t>(step_filled_);
    const double whole = samples > 0 ? loudness_of(energy / static_cast<double>(samples)) : loudness_of(0);
    return whole > kAbsoluteGate ? whole : -std::numeric_limits<double>::infinity();
  }
  std::vector<double> blocks;  // mean squares
  const double block_samples = static_cast<double>(kStepsPerBlock) * step_length_;
  for (std::size_t j = 0; j + kStepsPerBlock <= step_energies_.size(); ++j) {
    double energy = 0;
    for (int k = 0; k < kStepsPerBlock; ++k) energy += step_energies_[j + static_cast<std::size_t>(k)];
    blocks.push_back(energy / block_samples);
  }
  const auto gated_mean = [&](double threshold) {
    double sum = 0;
    int count = 0;
    for (const double block : blocks) {
      if (loudness_of(block) <= threshold) continue;
      sum += block;
      ++count;
    }
    return count > 0 ? sum / count : 0.0;
  };
  const double above_absolute = gated_mean(kAbsoluteGate);
  if (above_absolute <= 0) return -std::numeric_limits<double>::infinity();
  const double relative = loudness_of(above_absolute) + kRelativeGate;
  return loudness_of(gated_mean(std::max(kAbsoluteGate, relative)));
}

double LoudnessMeter::true_peak() const {
  return peak_ > 0 ? 20 * std::log10(peak_) : -std::numeric_limits<double>::infinity();
}

}  // namespace enginebin
