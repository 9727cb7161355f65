#include "batch/failure_reasons.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/win32/kernel32.h"

namespace batch {
namespace {

bool StartsWith(const AnsiString& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// Progress reports and the indented or headed lines of the input and output reports say nothing
// about a failure; the engine's own complaint is the last line that is none of these.
bool IsReportLine(const AnsiString& line) {
  return line[0] == ' ' || line[0] == '\t' || StartsWith(line, "size=") || StartsWith(line, "Input #") ||
         StartsWith(line, "Output #");
}

AnsiString LastMessageLine(const AnsiString& output) {
  AnsiString last;
  std::size_t begin = 0;
  while (begin < output.size()) {
    std::size_t end = output.find_first_of("\r\n", begin);
    if (end == AnsiString::npos) end = output.size();
    const AnsiString line = output.substr(begin, end - begin);
    if (!Trim(line).empty() && !IsReportLine(line)) last = Trim(line);
    begin = end + 1;
  }
  return last;
}

AnsiString JoinedRates(std::vector<int> rates) {
  std::sort(rates.begin(), rates.end());
  AnsiString text;
  for (std::size_t i = 0; i < rates.size(); ++i) {
    if (i > 0) text += i + 1 == rates.size() ? " or " : ", ";
    text += IntToStr(rates[i]);
  }
  return text;
}

// "The ac3 encoder cannot write 16000 Hz (it supports: 48000, 44100, 32000)" names the remedy
// in the engine's terms; the user's remedy lies in the settings dialog.
std::optional<AnsiString> UnsupportedRateAdvice(const AnsiString& line, const AnsiString& extension) {
  const AnsiString kCannot = " encoder cannot write ";
  const AnsiString kSupports = " Hz (it supports: ";
  const std::size_t cannot = line.find(kCannot);
  const std::size_t supports = line.find(kSupports);
  if (!StartsWith(line, "The ") || cannot == AnsiString::npos || supports == AnsiString::npos || supports < cannot ||
      line.back() != ')') {
    return std::nullopt;
  }
  const AnsiString rate = line.substr(cannot + kCannot.size(), supports - cannot - kCannot.size());
  std::vector<int> rates;
  AnsiString list = line.substr(supports + kSupports.size());
  list.pop_back();
  for (std::size_t at = 0; at <= list.size();) {
    std::size_t comma = list.find(',', at);
    if (comma == AnsiString::npos) comma = list.size();
    int value = 0;
    if (!TryStrToInt(Trim(list.substr(at, comma - at)), value)) return std::nullopt;
    rates.push_back(value);
    at = comma + 1;
  }
  return SampleRateAdvice(extension, rate, rates);
}

}  // namespace

AnsiString EngineFailureReason(const FailedRun& run) {
  if (!FileExists(run.Source)) return kSourceMissingReason;
  const AnsiString line = LastMessageLine(run.Output);
  if (line.empty()) {
    if (run.ExitCode == STILL_ACTIVE) return "The converter stopped responding.";
    if (run.ExitCode == 0) return "The converter wrote no output file.";
    return "The converter stopped unexpectedly (exit code " + IntToStr(run.ExitCode) + ").";
  }
  if (const auto advice = UnsupportedRateAdvice(line, run.Extension)) return *advice;
  // The engine writes nothing but the temporary file: a full disk is the temporary folder's.
  if (line.find("No space left on device") != AnsiString::npos ||
      line.find("Disk quota exceeded") != AnsiString::npos) {
    return "The temporary folder " + run.TemporaryFolder +
           " is full, so the converted file had no room there. Free some space in it and convert the file again.";
  }
  if (line == run.ShortSource + ": Unknown format" || line == run.Source + ": Unknown format") {
    return "The file is not in a format that can be read.";
  }
  // The engine names the files by the paths it was given, which the user has never seen.
  const AnsiString sourceName = ExtractFileName(run.Source);
  AnsiString reason = StringReplaceAll(line, run.Source, sourceName);
  reason = StringReplaceAll(reason, run.ShortSource, sourceName);
  return StringReplaceAll(reason, run.TemporaryFile, ExtractFileName(run.Target));
}

AnsiString MoveFailureReason(const AnsiString& target, DWORD error) {
  return "The converted file could not be saved as " + target + ": " + SysErrorMessage(error);
}

AnsiString SampleRateAdvice(const AnsiString& extension, const AnsiString& rate, std::vector<int> rates) {
  return UpperCase(extension) + " files cannot have a sample rate of " + rate + " Hz. Choose " + JoinedRates(rates) +
         " Hz in Settings.";
}

}  // namespace batch
