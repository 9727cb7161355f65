// The sources of a run: the files named and those of the folders named, in a stable order.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"

namespace cli {

struct SourceFile {
  std::string Path;
  std::string Error;  // why it cannot be converted before it is even looked at; empty if none
};

// Each named file, and the video and audio files of each named folder in name order (with
// recursive, then those of its subfolders, each in name order). A file named twice, by whatever
// path, counts once; one that does not exist is kept with its error.
std::vector<SourceFile> ListSources(const std::vector<std::string>& inputs, bool recursive);

// Whether the name ends in an extension of video or audio that a folder's listing takes.
bool IsMediaFileName(const std::string& name);

// Every Count-th source from the Index-th (from 1): the shards of one list together hold every
// source exactly once.
std::vector<SourceFile> TakeShard(const std::vector<SourceFile>& sources, const Shard& shard);

}  // namespace cli
