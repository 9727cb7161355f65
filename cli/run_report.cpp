#include "cli/run_report.h"

#include <cstdio>
#include <filesystem>

namespace cli {
namespace {

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (const unsigned char c : text) {
    switch (c) {
      case '"': quoted += "\\\""; break;
      case '\\': quoted += "\\\\"; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          quoted += escaped;
        } else {
          quoted += static_cast<char>(c);
        }
    }
  }
  return quoted + "\"";
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

std::string OrNull(const std::string& text) { return text.empty() ? "null" : Quoted(text); }

std::string Absolute(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

const char* StateName(JobState state) {
  switch (state) {
    case JobState::Converted: return "converted";
    case JobState::Failed: return "failed";
    case JobState::Interrupted: return "interrupted";
    default: return "not started";
  }
}

std::string RangeObject(double begin, const std::optional<double>& end) {
  return "{\"begin\": " + Number(begin) + ", \"end\": " + (end ? Number(*end) : "null") + "}";
}

std::string OutputObject(const OutputJob& job, const JobOutcome& outcome, const std::string& indent) {
  const EngineSummary& summary = outcome.Summary;
  std::string text = indent + "{\"file\": " + Quoted(Absolute(outcome.Target)) + ", \"state\": \"" +
                     StateName(outcome.State) + "\",\n";
  text += indent + " \"range_asked\": ";
  text += job.Range ? RangeObject(job.Range->Begin / 1000.0,
                                  job.Range->End ? std::optional<double>(*job.Range->End / 1000.0) : std::nullopt)
                    : "null";
  text += ", \"range_written\": ";
  text += summary.Begin && summary.End ? RangeObject(*summary.Begin, summary.End) : "null";
  text += ", \"duration\": ";
  text += summary.Begin && summary.End ? Number(*summary.End - *summary.Begin) : "null";
  text += ",\n" + indent + " \"loudness\": ";
  if (const auto& loudness = summary.Loudness) {
    text += "{\"measured\": " + Number(loudness->Measured) + ", \"true_peak\": " + Number(loudness->TruePeak) +
            ", \"gain\": " + Number(loudness->Gain) + ", \"result\": " + Number(loudness->Result) + "}";
  } else {
    text += "null";
  }
  return text + ", \"note\": " + OrNull(outcome.Note) + ", \"error\": " + OrNull(outcome.Error) + "}";
}

}  // namespace

std::string SummaryLine(const RunResult& result) {
  std::size_t converted = 0, unreadable = 0;
  for (const JobOutcome& outcome : result.Outcomes) converted += outcome.State == JobState::Converted;
  // A source that gave no output at all counts as the one file it would have given.
  for (const SourcePlan& source : result.Sources) unreadable += source.Probed && !source.Error.empty();
  const std::string counted = std::to_string(converted) + " of " + std::to_string(result.Jobs.size() + unreadable);
  if (result.Interrupted) return "Interrupted: " + counted + " files were converted; nothing partial was left.\n";
  return "Converted " + counted + " files.\n";
}

std::string FailureList(const RunResult& result) {
  std::vector<std::string> failures;
  for (const SourcePlan& source : result.Sources)
    if (source.Probed && !source.Error.empty()) failures.push_back(source.Path + ": " + source.Error);
  for (std::size_t i = 0; i < result.Jobs.size(); ++i) {
    if (result.Outcomes[i].State != JobState::Failed) continue;
    const OutputJob& job = result.Jobs[i];
    failures.push_back(JobTitle(result.Sources[job.Source], job) + ": " + result.Outcomes[i].Error);
  }
  if (failures.empty()) return "";
  std::string text = std::to_string(failures.size()) + (failures.size() == 1 ? " failure:\n" : " failures:\n");
  for (const std::string& failure : failures) text += "  " + failure + "\n";
  return text;
}

int ExitCodeOf(const RunResult& result) {
  if (result.Interrupted) return 130;
  for (const SourcePlan& source : result.Sources)
    if (!source.Error.empty()) return 1;
  for (const JobOutcome& outcome : result.Outcomes)
    if (outcome.State != JobState::Converted) return 1;
  return 0;
}

std::string JsonReport(const RunResult& result) {
  std::size_t converted = 0, failed = 0;
  for (const JobOutcome& outcome : result.Outcomes) {
    converted += outcome.State == JobState::Converted;
    failed += outcome.State == JobState::Failed;
  }
  for (const SourcePlan& source : result.Sources) failed += !source.Error.empty();
  std::string text = "{\n  \"format\": " + Quoted(result.Settings.Format) +
                     ",\n  \"interrupted\": " + (result.Interrupted ? "true" : "false") +
                     ",\n  \"converted\": " + std::to_string(converted) + ",\n  \"failed\": " + std::to_string(failed) +
                     ",\n  \"inputs\": [";
  for (std::size_t s = 0; s < result.Sources.size(); ++s) {
    const SourcePlan& source = result.Sources[s];
    text += s == 0 ? "\n" : ",\n";
    text += "    {\"source\": " + Quoted(Absolute(source.Path)) +
            ",\n     \"duration\": " + (source.Seconds ? std::to_string(*source.Seconds) : "null") +
            ", \"track\": " + (source.Track ? std::to_string(source.Track->Number) : "null") +
            ", \"error\": " + OrNull(source.Error) + ",\n     \"outputs\": [";
    bool first = true;
    for (std::size_t j = 0; j < result.Jobs.size(); ++j) {
      if (result.Jobs[j].Source != s) continue;
      text += first ? "\n" : ",\n";
      first = false;
      text += OutputObject(result.Jobs[j], result.Outcomes[j], "       ");
    }
    text += first ? "]}" : "\n     ]}";
  }
  return text + "\n  ]\n}\n";
}

}  // namespace cli
