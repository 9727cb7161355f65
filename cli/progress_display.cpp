#include "cli/progress_display.h"

#include <algorithm>

#include "platform/win32/wincon.h"

namespace cli {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

std::string Fitted(std::string line, int width) {
  // A line that wraps would throw the redraw off by a line.
  if (width > 1 && line.size() >= static_cast<std::size_t>(width)) line.resize(static_cast<std::size_t>(width - 1));
  return line;
}

std::string Percent(double done, double whole) {
  if (whole <= 0) return "";
  return std::to_string(static_cast<int>(std::clamp(done / whole, 0.0, 1.0) * 100)) + "%";
}

bool HasEnded(JobState state) { return state != JobState::Waiting && state != JobState::Running; }

}  // namespace

bool OutputIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != FALSE;
}

TerminalSize TerminalSizeNow() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) return {};
  return {info.srWindow.Right - info.srWindow.Left + 1, info.srWindow.Bottom - info.srWindow.Top + 1};
}

std::string TotalLine(const std::vector<OutputJob>& jobs, const std::vector<JobOutcome>& outcomes, double elapsed) {
  double whole = 0, done = 0;
  int ended = 0;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    whole += jobs[i].ExpectedSeconds;
    if (HasEnded(outcomes[i].State)) {
      ++ended;
      done += jobs[i].ExpectedSeconds;
    } else if (outcomes[i].State == JobState::Running) {
      done += std::min(outcomes[i].Seconds, jobs[i].ExpectedSeconds);
    }
  }
  std::string line = std::to_string(ended) + " of " + std::to_string(jobs.size()) + " files done";
  const double speed = elapsed > 0 ? done / elapsed : 0;
  if (speed > 0 && elapsed >= 1) {
    line += ", " + ClockText((whole - done) / speed) + " left";
    char text[32];
    std::snprintf(text, sizeof text, ", %.1fx", speed);
    line += text;
  }
  return line;
}

ProgressDisplay::ProgressDisplay(const std::vector<SourcePlan>& sources, const std::vector<OutputJob>& jobs,
                                 bool terminal, std::FILE* out)
    : sources_(sources), jobs_(jobs), terminal_(terminal), out_(out), start_(Clock::now()), announced_(jobs.size(), 0) {
}

std::string ProgressDisplay::EndedLine(const std::string& title, const JobOutcome& outcome) {
  switch (outcome.State) {
    case JobState::Converted:
      return title + " -> " + outcome.Target + (outcome.Note.empty() ? "" : " (" + outcome.Note + ")");
    case JobState::Failed: return title + ": " + outcome.Error;
    default: return title + ": interrupted";
  }
}

void ProgressDisplay::Put(const std::string& text) { std::fputs(text.c_str(), out_); }

void ProgressDisplay::EraseLive() {
  // Up to the first live line, then each cleared in turn and the cursor back where it began.
  if (liveLines_ == 0) return;
  Put("\x1b[" + std::to_string(liveLines_) + "A\r\x1b[J");
  liveLines_ = 0;
}

void ProgressDisplay::PrintEnded(const std::vector<JobOutcome>& outcomes) {
  for (std::size_t i = 0; i < jobs_.size(); ++i) {
    if (announced_[i] || !HasEnded(outcomes[i].State) || outcomes[i].State == JobState::Interrupted) continue;
    announced_[i] = 1;
    Put(EndedLine(JobTitle(sources_[jobs_[i].Source], jobs_[i]), outcomes[i]) + "\n");
  }
}

std::vector<std::string> ProgressDisplay::LiveLines(const std::vector<JobOutcome>& outcomes, int height) const {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < jobs_.size(); ++i) {
    if (outcomes[i].State != JobState::Running) continue;
    const OutputJob& job = jobs_[i];
    std::string line = "  " + JobTitle(sources_[job.Source], job) + "  " + ClockText(outcomes[i].Seconds);
    if (job.ExpectedSeconds > 0)
      line += " of " + ClockText(job.ExpectedSeconds) + "  " + Percent(outcomes[i].Seconds, job.ExpectedSeconds);
    lines.push_back(line);
  }
  // Lines that scrolled off the screen could not be drawn over again.
  const auto room = static_cast<std::size_t>(std::max(height - 2, 1));
  if (lines.size() > room) {
    const std::size_t more = lines.size() - room + 1;
    lines.resize(room - 1);
    lines.push_back("  and " + std::to_string(more) + " more");
  }
  const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
  lines.push_back(TotalLine(jobs_, outcomes, elapsed));
  return lines;
}

void ProgressDisplay::Show(const std::vector<JobOutcome>& outcomes) {
  if (!terminal_) {
    PrintEnded(outcomes);
    std::fflush(out_);
    return;
  }
  const auto now = Clock::now();
  if (now - lastDrawn_ < kRedrawInterval) return;
  lastDrawn_ = now;
  EraseLive();
  PrintEnded(outcomes);
  const TerminalSize size = TerminalSizeNow();
  for (const std::string& line : LiveLines(outcomes, size.Height)) {
    Put(Fitted(line, size.Width) + "\n");
    ++liveLines_;
  }
  std::fflush(out_);
}

void ProgressDisplay::Close(const std::vector<JobOutcome>& outcomes) {
  if (terminal_) EraseLive();
  PrintEnded(outcomes);
  std::fflush(out_);
}

}  // namespace cli
