#pragma once
// Integrated loudness (EBU R 128, after ITU-R BS.1770: K-weighting, 400 ms blocks every 100 ms,
// an absolute gate at -70 LUFS and a relative one 10 LU below) and the true peak (the largest
// magnitude of the signal four times oversampled).

#include <array>
#include <cstdint>
#include <vector>

namespace enginebin {

class LoudnessMeter {
 public:
  // weights: one per channel, 1.0 for front channels, 1.41 for surround, 0 for the LFE.
  LoudnessMeter(int sample_rate, std::vector<double> weights);

  // frames of interleaved samples, one per channel each, full scale at 1.0.
  void add(const float* samples, int frames);

  // LUFS; below -70 (minus infinity) when nothing lies above the absolute gate.
  double integrated() const;
  // dBTP; minus infinity for digital silence.
  double true_peak() const;

 private:
  struct Biquad {
    std::array<double, 3> b{}, a{};  // a[0] is 1
    double z1 = 0, z2 = 0;           // the filter's state (transposed direct form II)
    double run(double x);
  };
  static constexpr int kPhases = 4;
  static constexpr int kTapsPerPhase = 24;

  void end_step();
  double oversampled_peak(std::size_t channel, double sample);

  std::vector<double> weights_;
  std::vector<Biquad> shelf_, high_pass_;                   // per channel: the two K-weighting stages
  std::array<double, kPhases * kTapsPerPhase> taps_{};      // the oversampling filter
  std::vector<std::array<double, kTapsPerPhase>> history_;  // per channel: the latest samples, newest first
  int step_length_;                                         // samples in 100 ms
  int step_filled_ = 0;                                     // samples in the current step so far
  double step_energy_ = 0;                                  // weighted sum of squares of the current step
  std::vector<double> step_energies_;                       // of every complete step
  double peak_ = 0;                                         // largest magnitude, oversampled
};

}  // namespace enginebin
