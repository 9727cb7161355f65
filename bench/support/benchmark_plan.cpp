#include "bench/support/benchmark_plan.h"

#include <algorithm>
#include <cstdlib>

#include "bench/engine/benchmark_input.h"

namespace bench_support {

BenchmarkPlan ReadPlan(int argc, char** argv, int defaultRuns) {
  BenchmarkPlan plan;
  plan.runs = defaultRuns;
  plan.cache = engine_bench::cache_folder();
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--quick") plan.quick = true;
    if (i + 1 < argc && option == "--runs") plan.runs = std::max(1, std::atoi(argv[i + 1]));
    if (i + 1 < argc && option == "--cache") plan.cache = argv[i + 1];
  }
  if (plan.quick) {
    plan.runs = 1;
    plan.previewSeconds = 1;
    plan.seekSeconds = QuickInput::kSeekSeconds;
  }
  return plan;
}

BenchmarkInput::BenchmarkInput(const BenchmarkPlan& plan) {
  if (plan.quick) {
    quick_ = std::make_unique<QuickInput>();
    file_ = quick_->File();
  } else {
    file_ = engine_bench::benchmark_input(plan.cache);
  }
}

}  // namespace bench_support
