#include "cli/conversions.h"

#include <algorithm>

#include "batch/command_lines.h"
#include "batch/early_end.h"
#include "batch/failure_reasons.h"
#include "batch/output_naming.h"
#include "batch/output_placement.h"
#include "batch/temporary_output.h"
#include "cli/output_formats.h"
#include "cli/stop_request.h"
#include "engine/mpegconverter.h"

namespace cli {
namespace {

// How often a running engine's report is read; an engine that ends is noticed at once.
constexpr DWORD kPollMs = 100;
// The exit code of an engine that a stop request ended.
constexpr UINT kStoppedExitCode = 130;

// The runner keeps a run's handles until it is told otherwise.
struct RunHandles {
  Tmpegconverter& runner;
  ~RunHandles() { runner.Terminate(); }
};

}  // namespace

Conversions::Conversions(const Options& options, const std::vector<SourcePlan>& sources,
                         const std::vector<OutputJob>& jobs, OutputNames& names, std::string enginePath, int cores)
    : options_(options), sources_(sources), jobs_(jobs), names_(names), enginePath_(std::move(enginePath)),
      cores_(std::max(cores, 1)), outcomes_(jobs.size()) {
  for (std::size_t i = 0; i < jobs.size(); ++i) outcomes_[i].Target = jobs[i].Target;
}

std::vector<JobOutcome> Conversions::Outcomes() const {
  std::lock_guard lock(mutex_);
  return outcomes_;
}

void Conversions::Update(std::size_t job, const JobOutcome& outcome) {
  std::lock_guard lock(mutex_);
  outcomes_[job] = outcome;
}

void Conversions::StopEngines() {
  std::lock_guard lock(mutex_);
  for (const HANDLE engine : engines_) TerminateProcess(engine, kStoppedExitCode);
}

int Conversions::ClaimThreads() {
  std::lock_guard lock(mutex_);
  const int jobsAtOnce = options_.Jobs.value_or(cores_);
  const int notStarted = static_cast<int>(jobs_.size() - started_);
  ++started_;
  // This engine and those that will start beside it share the cores that are not busy yet.
  const int alongside = std::max(1, std::min(jobsAtOnce - running_, notStarted));
  ++running_;
  const int threads = std::max(1, (cores_ - busyThreads_) / alongside);
  busyThreads_ += threads;
  return threads;
}

void Conversions::ReleaseThreads(int threads) {
  std::lock_guard lock(mutex_);
  busyThreads_ -= threads;
  --running_;
}

std::string Conversions::CommandLine(const OutputJob& job, const std::string& temporary, int threads) const {
  batch::ModernConversion conversion;
  conversion.Codec = options_.Format;
  conversion.Format = job.Extension;
  if (const OutputFormat* format = FindOutputFormat(options_.Format); format != nullptr && format->TakesBitRate)
    conversion.BitRate = options_.BitRate;
  conversion.SampleRate = options_.SampleRate;
  conversion.Channels = options_.Channels;
  if (job.Range) {
    if (job.Range->Begin > 0) conversion.Start = SecondsText(job.Range->Begin);
    if (job.Range->End) conversion.Length = SecondsText(*job.Range->End - job.Range->Begin);
  }
  conversion.Track = options_.Track;
  conversion.Tags = options_.Tags;
  conversion.Loudness = options_.Loudness;
  conversion.Threads = threads;
  return batch::ModernConversionCommandLine(enginePath_, sources_[job.Source].ShortPath, conversion, temporary);
}

void Conversions::Run(std::size_t index, int slot) {
  const OutputJob& job = jobs_[index];
  JobOutcome outcome;
  outcome.State = JobState::Running;
  outcome.Target = job.Target;
  Update(index, outcome);

  const std::string temporary = batch::TemporaryOutputFile(job.Extension, slot);
  batch::RemoveTemporaryFiles(slot);
  const int threads = ClaimThreads();
  Tmpegconverter runner;
  {
    const RunHandles handles{runner};
    runner.Run(CommandLine(job, temporary, threads));
    {
      std::lock_guard lock(mutex_);
      engines_.push_back(runner.ProcessInfo.hProcess);
    }
    // A request that came before the engine was listed would not have reached it.
    if (StopRequested()) TerminateProcess(runner.ProcessInfo.hProcess, kStoppedExitCode);
    for (;;) {
      runner.ReadOutput();
      if (runner.Finished) break;
      try {
        outcome.Seconds = runner.GetTime();
        Update(index, outcome);
      } catch (const std::exception&) {
        // A report cut in two by the read: the next one will tell.
      }
      WaitForSingleObject(runner.ProcessInfo.hProcess, kPollMs);
    }
    std::lock_guard lock(mutex_);
    engines_.erase(std::find(engines_.begin(), engines_.end(), runner.ProcessInfo.hProcess));
  }
  ReleaseThreads(threads);
  Finish(index, outcome, temporary, static_cast<int>(runner.ExitCode), runner.Output);
  batch::RemoveTemporaryFiles(slot);
}

void Conversions::Finish(std::size_t index, JobOutcome outcome, const std::string& temporary, int exitCode,
                         const std::string& output) {
  const OutputJob& job = jobs_[index];
  const SourcePlan& source = sources_[job.Source];
  if (exitCode == 0 && batch::PathIsTaken(temporary)) {
    // A finished output is kept when a stop request comes meanwhile, unless it is still being
    // copied to another disk.
    std::string target = job.Target;
    const DWORD error = batch::MoveOutputIntoPlace(
        temporary, [&] { return names_.Claim(job.Name); }, target, StopRequestFlag());
    outcome.Target = target;
    if (error == ERROR_SUCCESS) {
      outcome.State = JobState::Converted;
      outcome.Summary = ReadEngineSummary(output);
      if (const auto early = batch::FindEarlyEnd(output)) outcome.Note = batch::EarlyEndNote(*early);
    } else if (error == ERROR_REQUEST_ABORTED) {
      outcome.State = JobState::Interrupted;  // a copy to another disk, stopped half-way
    } else {
      outcome.State = JobState::Failed;
      outcome.Error = batch::MoveFailureReason(target, error);
    }
  } else if (StopRequested() || output.find(" was interrupted") != std::string::npos) {
    outcome.State = JobState::Interrupted;
  } else {
    outcome.State = JobState::Failed;
    const batch::FailedRun run{
        output,        static_cast<DWORD>(exitCode), source.Path, source.ShortPath, temporary, job.Target,
        job.Extension, batch::TemporaryFolder()};
    outcome.Error = batch::EngineFailureReason(run);
  }
  Update(index, outcome);
}

}  // namespace cli
