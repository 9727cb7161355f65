#include "cli/command.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <fstream>
#include <numeric>

#include "batch/engine_files.h"
#include "batch/output_naming.h"
#include "batch/output_placement.h"
#include "batch/temporary_output.h"
#include "cli/conversions.h"
#include "cli/parallel_tasks.h"
#include "cli/progress_display.h"
#include "cli/run_plan.h"
#include "cli/run_report.h"
#include "cli/source_files.h"
#include "cli/stop_request.h"
#include "framework/sysutils.h"
#include "platform/win32/kernel32.h"
#include "platform/win32/wincon.h"

namespace cli {
namespace {

constexpr int kFailedExit = 1;

void Error(const std::string& text) { std::fprintf(stderr, "sonvarra-cli: %s\n", text.c_str()); }

int CoresAvailable() {
  DWORD_PTR process = 0, system = 0;
  if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || process == 0) return 1;
  return std::popcount(static_cast<unsigned long long>(process));
}

// The -o folder with its delimiter; empty for the current folder.
std::string OutputFolderOf(const Options& options) {
  std::string folder = options.OutputFolder;
  if (!folder.empty() && folder.back() != PathDelim) folder += PathDelim;
  return folder;
}

// Empty when the folder can take the outputs (made when missing, except on a dry run);
// otherwise what is wrong.
std::string OutputFolderProblem(const std::string& folder, bool dryRun) {
  if (folder.empty()) return dryRun ? "" : batch::FileCreationProblem(std::string(".") + PathDelim);
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (dryRun) {
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return "";
    return "it is a file, not a folder.";
  }
  if (std::string problem = batch::FolderCreationProblem(folder); !problem.empty()) return problem;
  return batch::FileCreationProblem(folder);
}

// The engine in its work folder, written there from this program when it is missing; its
// folder's short form for the command lines, or empty after saying why there is none.
std::string PrepareEngine() {
  batch::RemoveAbandonedTemporaryFiles();
  try {
    batch::WriteEngineFiles();
  } catch (const std::exception& error) {
    Error(error.what());
    return "";
  }
  const std::string folder = batch::EngineFolder();
  if (!batch::PathIsTaken(folder + "nnn.exe")) {
    Error("the converter " + folder + "nnn.exe is missing; remove the folder " + folder + " to have it written again.");
    return "";
  }
  // Shortened here, once: the engines that run at once would otherwise race to make the alias.
  batch::TemporaryOutputFile("", 0);
  return batch::ShortPath(folder);
}

void ShowProbeProgress(bool terminal, std::size_t probed, std::size_t count) {
  if (!terminal || count < 2) return;
  std::printf("\rLooking at %zu of %zu files...\x1b[K", probed, count);
  std::fflush(stdout);
}

void ListTracks(const std::vector<SourcePlan>& sources) {
  for (const SourcePlan& source : sources) {
    if (!source.Error.empty()) continue;
    std::printf("%s\n", source.Path.c_str());
    for (const AudioTrack& track : source.Tracks) std::printf("%s\n", TrackLine(track).c_str());
  }
}

void ListPlannedOutputs(const std::vector<SourcePlan>& sources, const std::vector<OutputJob>& jobs) {
  for (const OutputJob& job : jobs)
    std::printf("%s -> %s\n", JobTitle(sources[job.Source], job).c_str(), job.Target.c_str());
  std::printf("Dry run: nothing was written.\n");
}

bool WriteJson(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (file) return true;
  Error("cannot write the report " + path + ".");
  return false;
}

// Ends a run that converted nothing: the failures, the report, the exit code.
int EndWithoutConverting(const Options& options, const std::vector<SourcePlan>& sources, bool listFailures) {
  const std::vector<OutputJob> noJobs;
  const std::vector<JobOutcome> noOutcomes;
  const RunResult result{options, sources, noJobs, noOutcomes, StopRequested()};
  const int exitCode = ExitCodeOf(result);
  if (listFailures) std::fputs(FailureList(result).c_str(), stderr);
  if (result.Interrupted) std::fputs(SummaryLine(result).c_str(), stderr);
  if (!options.JsonFile || options.DryRun || options.ListTracks) return exitCode;
  return WriteJson(*options.JsonFile, JsonReport(result)) || exitCode != 0 ? exitCode : kFailedExit;
}

}  // namespace

int RunCommand(const Options& options) {
  const bool terminal = OutputIsTerminal();
  const std::string folder = OutputFolderOf(options);
  if (!options.ListTracks) {
    if (const std::string problem = OutputFolderProblem(folder, options.DryRun); !problem.empty()) {
      Error("the output folder " + (folder.empty() ? std::string("(the current folder)") : folder) +
            " cannot take files: " + problem);
      return kUsageExit;
    }
  }
  CatchStopRequests();
  std::vector<SourceFile> files = ListSources(options.Inputs, options.Recursive);
  if (options.ShardOfRun) files = TakeShard(files, *options.ShardOfRun);
  if (files.empty()) {
    std::fprintf(stderr, "Nothing to convert: no video or audio file was found.\n");
    return 0;
  }
  const std::string enginePath = PrepareEngine();
  if (enginePath.empty()) return kFailedExit;
  // An engine that cannot be started ends the run as a failure, not as the success the window's
  // runner reports by ending the program.
  batch::EndWithCodeWhenEngineCannotStart([] { batch::RemoveTemporaryFiles(); }, kFailedExit);

  const int cores = CoresAvailable();
  const int workers = options.Jobs.value_or(cores);
  std::vector<SourcePlan> sources = ProbeSources(
      files, enginePath, workers, [&](std::size_t probed) { ShowProbeProgress(terminal, probed, files.size()); });
  if (terminal && files.size() > 1) std::printf("\r\x1b[K");
  ChooseTracks(sources, options.Track);
  if (StopRequested()) return EndWithoutConverting(options, sources, false);
  if (options.ListTracks) {
    ListTracks(sources);
    return EndWithoutConverting(options, sources, true);
  }

  OutputNames names(folder);
  const std::vector<OutputJob> jobs = PlanOutputs(sources, options, names);
  if (options.DryRun) {
    ListPlannedOutputs(sources, jobs);
    return EndWithoutConverting(options, sources, true);
  }
  for (const SourcePlan& source : sources)
    if (!source.Error.empty()) std::printf("%s: %s\n", source.Path.c_str(), source.Error.c_str());

  // The longest first: the run ends sooner when no long file starts while the others are done.
  std::vector<std::size_t> order(jobs.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return jobs[a].ExpectedSeconds > jobs[b].ExpectedSeconds; });
  Conversions conversions(options, sources, jobs, names, enginePath, cores);
  ProgressDisplay display(sources, jobs, terminal);
  SetStopAction([&conversions] { conversions.StopEngines(); });
  batch::EndWithCodeWhenEngineCannotStart(
      [&conversions] {
        conversions.StopEngines();
        batch::RemoveTemporaryFiles();
      },
      kFailedExit);
  RunTasks(
      jobs.size(), workers, [&](std::size_t task, int slot) { conversions.Run(order[task], slot); },
      [&] { display.Show(conversions.Outcomes()); });
  SetStopAction(nullptr);
  batch::EndWithCodeWhenEngineCannotStart([] { batch::RemoveTemporaryFiles(); }, kFailedExit);
  const std::vector<JobOutcome> outcomes = conversions.Outcomes();
  display.Close(outcomes);
  batch::RemoveTemporaryFiles();

  const RunResult result{options, sources, jobs, outcomes, StopRequested()};
  const int exitCode = ExitCodeOf(result);
  std::fputs(SummaryLine(result).c_str(), stdout);
  std::fflush(stdout);
  std::fputs(FailureList(result).c_str(), stderr);
  if (options.JsonFile && !WriteJson(*options.JsonFile, JsonReport(result)) && exitCode == 0) return kFailedExit;
  return exitCode;
}

}  // namespace cli
