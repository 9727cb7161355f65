// What reached the "speakers": the file SDL's disk audio driver writes in real time, read back and
// told apart into runs of sound, each as the seconds of the stepped tone it carries.
#pragma once

#include <string>
#include <vector>

namespace mediaplayer_test {

// The device's format as the disk driver writes it.
struct CaptureFormat {
  int rate = 48000;
  int channels = 2;
  bool floatSamples = false;  // 32-bit float, else signed 16-bit
};

struct SoundRun {
  double start = 0;  // seconds into the capture
  double length = 0;
  // The tone second heard in each 10 ms step of the run (-1 where no tone stands out).
  std::vector<int> seconds;
  // Where the tone changes from one second to the next: (offset into the run, new second).
  std::vector<std::pair<double, int>> changes;
};

class HeardAudio {
 public:
  static constexpr double kStep = 0.010;  // seconds per analysed step

  HeardAudio(const std::string& file, CaptureFormat format);
  double Length() const;  // seconds captured
  bool Silent() const { return Runs().empty(); }
  // The runs of sound, each at least 30 ms long; silences under 30 ms do not split a run.
  const std::vector<SoundRun>& Runs() const { return runs_; }

 private:
  void Analyse();
  int ToneAt(std::size_t first, std::size_t count) const;

  int rate_;
  std::vector<float> samples_;  // mono
  std::vector<SoundRun> runs_;
};

}  // namespace mediaplayer_test
