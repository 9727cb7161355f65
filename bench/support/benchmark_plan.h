// What one run of a media benchmark measures and on what: the full benchmark on the 10-minute
// input of the cache folder, or the quick mode (one run, 1 s of preview, small input, targets
// not enforced) on a clip made for the run.
#pragma once

#include <memory>
#include <string>

#include "bench/support/quick_input.h"

namespace bench_support {

struct BenchmarkPlan {
  int runs = 1;
  int previewSeconds = 10;
  int seekSeconds = 480;  // 8:00
  bool quick = false;
  std::string cache;  // where the full input is kept
};

// Reads "--runs N", "--cache FOLDER" and "--quick" from the command line.
BenchmarkPlan ReadPlan(int argc, char** argv, int defaultRuns);

// The plan's input file; a quick one lives as long as this object.
class BenchmarkInput {
 public:
  explicit BenchmarkInput(const BenchmarkPlan& plan);
  const std::string& File() const { return file_; }

 private:
  std::unique_ptr<QuickInput> quick_;
  std::string file_;
};

}  // namespace bench_support
