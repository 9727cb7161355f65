// What a run is to do: each source as the probe found it, and each output with its name.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "batch/output_naming.h"
#include "cli/audio_tracks.h"
#include "cli/options.h"
#include "cli/source_files.h"
#include "cli/time_ranges.h"

namespace cli {

struct SourcePlan {
  std::string Path;
  std::string ShortPath;       // as the engine is given it
  bool Probed = false;         // false when a stop request came first
  std::string Error;           // why it is not converted; empty when it is
  std::optional<int> Seconds;  // its length in whole seconds, when the probe could tell
  std::vector<AudioTrack> Tracks;
  std::optional<AudioTrack> Track;  // the one converted
};

// Probes every source with the engine (on up to workers threads), as Add does, learning its
// length and its audio tracks; tick(sources probed so far) runs meanwhile (see RunTasks). A
// source that cannot be read keeps the reason in Error. Sources left unprobed by a stop request
// say so.
std::vector<SourcePlan> ProbeSources(const std::vector<SourceFile>& sources, const std::string& enginePath, int workers,
                                     const std::function<void(std::size_t probed)>& tick);

// Picks each readable source's track (the track-th, or the first), or says why there is none.
void ChooseTracks(std::vector<SourcePlan>& sources, const std::optional<int>& track);

// The output names a run has handed out, so that two outputs of one run never get one name; and
// nothing that exists is ever taken. Thread-safe.
class OutputNames {
 public:
  explicit OutputNames(std::string folder) : folder_(std::move(folder)) {}
  const std::string& Folder() const { return folder_; }
  // folder + the name, or the first free "[n]" + name; claimed from now on.
  std::string Claim(const batch::NameParts& name);

 private:
  const std::string folder_;  // ends in a delimiter, or is empty for the current folder
  std::mutex mutex_;
  std::set<std::string> claimed_;  // guarded by mutex_
};

struct OutputJob {
  std::size_t Source = 0;  // index into the sources
  int RangeNumber = 0;     // from 1 among the source's ranges; 0 for the whole source
  std::optional<TimeRange> Range;
  std::string Extension;
  batch::NameParts Name;       // what it is called before a free name is found: clip.mp3, clip-2.mp3
  std::string Target;          // its name at planning; the move may have to take the next free one
  double ExpectedSeconds = 0;  // audio it will hold, for the time remaining
};

// One output for each range (or one for the whole source) of each source that has a track.
std::vector<OutputJob> PlanOutputs(const std::vector<SourcePlan>& sources, const Options& options, OutputNames& names);

// "clip.avi" or "clip.avi [1:02.500-1:10.000]": how lines about the output name its source.
std::string JobTitle(const SourcePlan& source, const OutputJob& job);

}  // namespace cli
