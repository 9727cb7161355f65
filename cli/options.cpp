#include "cli/options.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "batch/command_lines.h"
#include "cli/output_formats.h"
#include "cli/usage_error.h"

namespace cli {
namespace {

using Setter = void (*)(Options& options, const std::string& value);

struct OptionRow {
  char ShortName;              // 0: long form only
  std::string_view Name;       // the long form, without "--"
  std::string_view ValueName;  // empty: a switch
  std::string_view Help;
  Setter Apply;
};

int WholeNumber(const std::string& value, std::string_view option, int minimum, int maximum) {
  char* end = nullptr;
  errno = 0;
  const long number = value.empty() ? 0 : std::strtol(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || errno != 0 || number < minimum || number > maximum || value[0] == '+' ||
      value[0] == ' ')
    throw UsageError(std::string(option) + " takes a whole number from " + std::to_string(minimum) + " to " +
                     std::to_string(maximum) + ", not '" + value + "'");
  return static_cast<int>(number);
}

double Decimal(const std::string& value, std::string_view option, double minimum, double maximum) {
  char* end = nullptr;
  const double number = value.empty() ? 0 : std::strtod(value.c_str(), &end);
  if (value.empty() || *end != '\0' || !(number >= minimum && number <= maximum))
    throw UsageError(std::string(option) + " takes a number from " + std::to_string(static_cast<int>(minimum)) +
                     " to " + std::to_string(static_cast<int>(maximum)) + ", not '" + value + "'");
  return number;
}

Shard ShardOf(const std::string& value) {
  const std::size_t slash = value.find('/');
  if (slash == std::string::npos) throw UsageError("--shard takes K/N (for example 2/8), not '" + value + "'");
  Shard shard;
  shard.Count = WholeNumber(value.substr(slash + 1), "the N of --shard K/N", 1, 1'000'000);
  shard.Index = WholeNumber(value.substr(0, slash), "the K of --shard K/N", 0, 1'000'000);
  if (shard.Index < 1 || shard.Index > shard.Count)
    throw UsageError("--shard " + value + " lies outside its count: K runs from 1 to " + std::to_string(shard.Count));
  return shard;
}

constexpr std::array kOptions{
    OptionRow{'o', "output", "DIR", "output folder (default: the current folder); made when missing",
              [](Options& o, const std::string& v) { o.OutputFolder = v; }},
    OptionRow{'f', "format", "FORMAT", "mp3, ac3, wav, flac, opus, m4a, or copy (the stream as it is); default mp3",
              [](Options& o, const std::string& v) {
                if (v != kCopy && FindOutputFormat(v) == nullptr)
                  throw UsageError("unknown format '" + v + "' (choose " + OutputFormatNames() + " or copy)");
                o.Format = v;
              }},
    OptionRow{'b', "bitrate", "KBPS", "bit rate in kbit/s (default 128)",
              [](Options& o, const std::string& v) { o.BitRate = WholeNumber(v, "-b", 8, 640); }},
    OptionRow{0, "rate", "HZ", "sample rate (default: the source's where the format allows)",
              [](Options& o, const std::string& v) { o.SampleRate = WholeNumber(v, "--rate", 8000, 192000); }},
    OptionRow{'c', "channels", "N", "channels (default: the source's where the format allows)",
              [](Options& o, const std::string& v) { o.Channels = WholeNumber(v, "-c", 1, 8); }},
    OptionRow{0, "range", "BEGIN-END",
              "convert only this part (SS, MM:SS or HH:MM:SS, to the millisecond); repeat for several outputs",
              [](Options& o, const std::string& v) { o.Ranges.push_back(ParseRange(v)); }},
    OptionRow{0, "track", "N", "the Nth audio track (from 1; default: the first)",
              [](Options& o, const std::string& v) { o.Track = WholeNumber(v, "--track", 1, 1000); }},
    OptionRow{0, "list-tracks", "", "list each file's audio tracks and convert nothing",
              [](Options& o, const std::string&) { o.ListTracks = true; }},
    OptionRow{0, "no-tags", "", "leave out title, artist, album, date, comment and language",
              [](Options& o, const std::string&) { o.Tags = false; }},
    OptionRow{0, "loudness", "LUFS", "bring each output to this integrated loudness (EBU R 128), true peak <= -1 dBTP",
              [](Options& o, const std::string& v) { o.Loudness = Decimal(v, "--loudness", -70, -5); }},
    OptionRow{'j', "jobs", "N", "files converted at once (default: the cores this process may use)",
              [](Options& o, const std::string& v) { o.Jobs = WholeNumber(v, "-j", 1, 256); }},
    OptionRow{0, "recursive", "", "take the files of folders' subfolders too",
              [](Options& o, const std::string&) { o.Recursive = true; }},
    OptionRow{0, "json", "FILE", "write a report of every input to FILE",
              [](Options& o, const std::string& v) { o.JsonFile = v; }},
    OptionRow{0, "dry-run", "", "print what would be written, and write nothing",
              [](Options& o, const std::string&) { o.DryRun = true; }},
    OptionRow{0, "shard", "K/N", "take only every Nth input, from the Kth, to split one job among N machines",
              [](Options& o, const std::string& v) { o.ShardOfRun = ShardOf(v); }},
    OptionRow{'h', "help", "", "print this help", [](Options& o, const std::string&) { o.Help = true; }},
    OptionRow{0, "version", "", "print the version", [](Options& o, const std::string&) { o.Version = true; }},
};

const OptionRow* FindLong(std::string_view name) {
  for (const OptionRow& row : kOptions)
    if (row.Name == name) return &row;
  return nullptr;
}

const OptionRow* FindShort(char name) {
  for (const OptionRow& row : kOptions)
    if (row.ShortName != 0 && row.ShortName == name) return &row;
  return nullptr;
}

std::string Spelled(const OptionRow& row) {
  return row.ShortName != 0 ? "-" + std::string(1, row.ShortName) : "--" + std::string(row.Name);
}

// Settings that make sense only together, or not at all with the chosen format.
void CheckCombination(const Options& options) {
  if (options.Help || options.Version) return;
  if (options.Inputs.empty()) throw UsageError("no FILE or FOLDER given");
  if (options.Format == kCopy) {
    if (options.BitRate || options.SampleRate || options.Channels)
      throw UsageError("-b, --rate and -c do not apply to -f copy, which keeps the stream as it is");
    if (options.Loudness) throw UsageError("--loudness needs a format that is encoded anew, not -f copy");
    return;
  }
  const OutputFormat& format = *FindOutputFormat(options.Format);
  if (options.Channels && *options.Channels > format.MaxChannels)
    throw UsageError(options.Format + " files have at most " + std::to_string(format.MaxChannels) + " channels");
  if (options.SampleRate) {
    const std::vector<int> rates = batch::SupportedSampleRates(options.Format);
    if (!rates.empty() && std::find(rates.begin(), rates.end(), *options.SampleRate) == rates.end()) {
      std::string listed;
      for (const int rate : rates) listed += (listed.empty() ? "" : ", ") + std::to_string(rate);
      throw UsageError(options.Format + " files cannot have a sample rate of " + std::to_string(*options.SampleRate) +
                       " Hz (choose " + listed + ")");
    }
  }
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& arguments) {
  Options options;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      options.Inputs.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    const OptionRow* row = nullptr;
    std::optional<std::string> attached;  // "--name=value" or "-xvalue"
    if (argument[1] == '-') {
      const std::size_t equals = argument.find('=');
      row =
          FindLong(std::string_view(argument).substr(2, equals == std::string::npos ? std::string::npos : equals - 2));
      if (equals != std::string::npos) attached = argument.substr(equals + 1);
    } else {
      row = FindShort(argument[1]);
      if (argument.size() > 2) attached = argument.substr(2);
    }
    if (row == nullptr) throw UsageError("unknown option '" + argument + "'");
    if (row->ValueName.empty()) {
      if (attached) throw UsageError(Spelled(*row) + " takes no value");
      row->Apply(options, "");
      continue;
    }
    if (!attached && i + 1 == arguments.size())
      throw UsageError(Spelled(*row) + " needs its " + std::string(row->ValueName));
    row->Apply(options, attached ? *attached : arguments[++i]);
  }
  CheckCombination(options);
  return options;
}

std::string HelpText() {
  std::string text = std::string(kUsageLine) + "\n\nConverts the audio of video and audio files.\n\nOptions:\n";
  for (const OptionRow& row : kOptions) {
    std::string syntax = row.ShortName != 0 ? "-" + std::string(1, row.ShortName) + ", " : "    ";
    syntax += "--" + std::string(row.Name);
    if (!row.ValueName.empty()) syntax += " " + std::string(row.ValueName);
    syntax.resize(std::max<std::size_t>(syntax.size() + 2, 26), ' ');
    text += "  " + syntax + std::string(row.Help) + "\n";
  }
  text += "\nExit codes: 0 all converted, 1 some failed, 2 usage error, 130 interrupted.\n";
  return text;
}

}  // namespace cli
