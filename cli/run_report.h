// What a run reports when it ends: the failures listed for the user, and the JSON report.
#pragma once

#include <string>
#include <vector>

#include "cli/conversions.h"
#include "cli/options.h"
#include "cli/run_plan.h"

namespace cli {

struct RunResult {
  const Options& Settings;
  const std::vector<SourcePlan>& Sources;
  const std::vector<OutputJob>& Jobs;
  const std::vector<JobOutcome>& Outcomes;  // one per job
  bool Interrupted = false;
};

// "Converted 3 of 4 files." (or what an interrupted run did), with its line end.
std::string SummaryLine(const RunResult& result);

// Each source or output that failed, with its reason, under a heading; empty when none did.
std::string FailureList(const RunResult& result);

// 0 all converted, 1 some failed, 130 interrupted.
int ExitCodeOf(const RunResult& result);

// Every input with its outputs (names, ranges asked and written, durations, loudness) and its
// error, if any, as a JSON document.
std::string JsonReport(const RunResult& result);

}  // namespace cli
