// The command's options: one table of them, parsed by one loop.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/time_ranges.h"

namespace cli {

struct Shard {
  int Index = 1;  // from 1
  int Count = 1;
};

struct Options {
  std::vector<std::string> Inputs;      // files and folders, as given
  std::string OutputFolder;             // -o; empty: the current folder
  bool Recursive = false;               // --recursive: folders' subfolders too
  std::string Format = "mp3";           // -f: mp3 ac3 wav flac opus m4a copy
  std::optional<int> BitRate;           // -b, kbit/s
  std::optional<int> SampleRate;        // --rate, Hz
  std::optional<int> Channels;          // -c
  std::vector<TimeRange> Ranges;        // --range, each its own output
  std::optional<int> Track;             // --track, from 1
  bool ListTracks = false;              // --list-tracks
  bool Tags = true;                     // --no-tags clears it
  std::optional<double> Loudness;       // --loudness, LUFS
  std::optional<int> Jobs;              // -j; none: the cores the process may use
  std::optional<std::string> JsonFile;  // --json
  bool DryRun = false;                  // --dry-run
  std::optional<Shard> ShardOfRun;      // --shard K/N
  bool Help = false;
  bool Version = false;
};

// argv without the program name. Throws UsageError for anything that cannot run as given.
Options ParseOptions(const std::vector<std::string>& arguments);

inline constexpr const char* kUsageLine = "usage: sonvarra-cli [options] FILE|FOLDER...";

// The usage line and one line per option.
std::string HelpText();

}  // namespace cli
