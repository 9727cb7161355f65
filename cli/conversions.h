// The conversions of a run: each output's engine run, its progress, and its file put in place.
#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/engine_summary.h"
#include "cli/options.h"
#include "cli/run_plan.h"
#include "platform/win32/kernel32.h"

namespace cli {

enum class JobState { Waiting, Running, Converted, Failed, Interrupted };

struct JobOutcome {
  JobState State = JobState::Waiting;
  std::string Target;     // where the output is (or was to be)
  std::string Error;      // why it failed, in words for the user
  std::string Note;       // of a converted output whose input ended early: "its audio ends at ..."
  double Seconds = 0;     // audio written so far, as the engine last reported
  EngineSummary Summary;  // of a converted output
};

class Conversions {
 public:
  // cores: how many threads the engines together may keep busy.
  Conversions(const Options& options, const std::vector<SourcePlan>& sources, const std::vector<OutputJob>& jobs,
              OutputNames& names, std::string enginePath, int cores);
  Conversions(const Conversions&) = delete;
  Conversions& operator=(const Conversions&) = delete;

  // Converts one output with an engine of its own; slot names the calling thread. Returns when
  // the output is in place, has failed, or a stop request has ended its engine.
  void Run(std::size_t job, int slot);

  // Ends every running engine at once (from any thread); their runs end as interrupted.
  void StopEngines();

  std::vector<JobOutcome> Outcomes() const;

 private:
  std::string CommandLine(const OutputJob& job, const std::string& temporary, int threads) const;
  int ClaimThreads();
  void ReleaseThreads(int threads);
  void Update(std::size_t job, const JobOutcome& outcome);
  void Finish(std::size_t job, JobOutcome outcome, const std::string& temporary, int exitCode,
              const std::string& output);

  const Options& options_;
  const std::vector<SourcePlan>& sources_;
  const std::vector<OutputJob>& jobs_;
  OutputNames& names_;
  const std::string enginePath_;
  const int cores_;

  mutable std::mutex mutex_;
  // Guarded by mutex_:
  std::vector<JobOutcome> outcomes_;
  std::vector<HANDLE> engines_;  // processes of the running engines
  int busyThreads_ = 0;          // the engines' own workers
  std::size_t started_ = 0;      // jobs begun so far
  int running_ = 0;
};

}  // namespace cli
