#include "cli/run_plan.h"

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "batch/engine_files.h"
#include "batch/output_naming.h"
#include "batch/source_probe.h"
#include "cli/output_formats.h"
#include "cli/parallel_tasks.h"
#include "engine/mpegconverter.h"

namespace cli {
namespace {

constexpr const char* kNotProbed = "Not looked at: the run was interrupted.";

SourcePlan Probe(const SourceFile& source, const std::string& enginePath) {
  SourcePlan plan;
  plan.Path = source.Path;
  plan.Probed = true;
  plan.Error = source.Error;
  if (!plan.Error.empty()) return plan;
  Tmpegconverter runner;
  const batch::ProbeResult probe = batch::ProbeSource(runner, enginePath, source.Path);
  if (!probe.Failure.empty()) {
    plan.Error = probe.Failure;
    return plan;
  }
  // Shortened once, here: the conversions of its ranges may run at once and share the alias.
  plan.ShortPath = batch::ShortPath(source.Path);
  try {
    plan.Seconds = Tmpegconverter::TimeToSeconds(probe.Duration);
  } catch (const std::exception&) {
    // "N/A": a stream whose length nobody can tell is still converted, without a time remaining.
  }
  plan.Tracks = AudioTracksOf(runner.Output);
  return plan;
}

}  // namespace

std::vector<SourcePlan> ProbeSources(const std::vector<SourceFile>& sources, const std::string& enginePath, int workers,
                                     const std::function<void(std::size_t probed)>& tick) {
  std::vector<SourcePlan> plans(sources.size());
  std::atomic<std::size_t> probed{0};
  RunTasks(
      sources.size(), workers,
      [&](std::size_t index, int) {
        plans[index] = Probe(sources[index], enginePath);
        ++probed;
      },
      [&] { tick(probed); });
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (plans[i].Probed) continue;
    plans[i].Path = sources[i].Path;
    plans[i].Error = kNotProbed;
  }
  return plans;
}

void ChooseTracks(std::vector<SourcePlan>& sources, const std::optional<int>& track) {
  for (SourcePlan& source : sources) {
    if (!source.Error.empty()) continue;
    const std::size_t count = source.Tracks.size();
    if (count == 0) {
      source.Error = "It has no audio track.";
    } else if (track && static_cast<std::size_t>(*track) > count) {
      source.Error = "It has no audio track " + std::to_string(*track) + " (it has " + std::to_string(count) +
                     (count == 1 ? " track)." : " tracks).");
    } else {
      source.Track = source.Tracks[static_cast<std::size_t>(track.value_or(1) - 1)];
    }
  }
}

std::string OutputNames::Claim(const batch::NameParts& name) {
  std::lock_guard lock(mutex_);
  const std::string path = batch::FreeName(folder_, name, [this](const std::string& taken) {
    return claimed_.count(taken) > 0 || batch::PathIsTaken(taken);
  });
  claimed_.insert(path);
  return path;
}

std::vector<OutputJob> PlanOutputs(const std::vector<SourcePlan>& sources, const Options& options, OutputNames& names) {
  std::vector<OutputJob> jobs;
  for (std::size_t s = 0; s < sources.size(); ++s) {
    const SourcePlan& source = sources[s];
    if (!source.Track) continue;
    const std::string extension = options.Format == kCopy ? CopyContainer(source.Track->Codec) : options.Format;
    const double length = source.Seconds ? *source.Seconds : 0.0;
    const int count = static_cast<int>(options.Ranges.size());
    for (int r = 0; r < std::max(count, 1); ++r) {
      OutputJob job;
      job.Source = s;
      job.Extension = extension;
      job.ExpectedSeconds = length;
      if (count > 0) {
        const TimeRange& range = options.Ranges[static_cast<std::size_t>(r)];
        job.Range = range;
        job.RangeNumber = r + 1;
        // As much of the range as the source holds; all of it when its length is not known.
        double end = range.End ? *range.End / 1000.0 : length;
        if (source.Seconds) end = std::min(end, length);
        job.ExpectedSeconds = std::max(end - range.Begin / 1000.0, 0.0);
      }
      job.Name = batch::OutputNameParts(source.Path, extension, r + 1, count);
      job.Target = names.Claim(job.Name);
      jobs.push_back(job);
    }
  }
  return jobs;
}

std::string JobTitle(const SourcePlan& source, const OutputJob& job) {
  std::string title = std::filesystem::path(source.Path).filename().string();
  if (job.Range) title += " [" + RangeText(*job.Range) + "]";
  return title;
}

}  // namespace cli
