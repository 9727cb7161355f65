// What the user sees of a run: on a terminal, a line per running output and one for the whole
// run, redrawn at most ten times a second; elsewhere one plain line per output that has ended.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/conversions.h"
#include "cli/run_plan.h"

namespace cli {

// Whether standard output is a terminal (a console), and its size in characters.
bool OutputIsTerminal();
struct TerminalSize {
  int Width = 80;
  int Height = 25;
};
TerminalSize TerminalSizeNow();

class ProgressDisplay {
 public:
  using Clock = std::chrono::steady_clock;

  ProgressDisplay(const std::vector<SourcePlan>& sources, const std::vector<OutputJob>& jobs, bool terminal,
                  std::FILE* out = stdout);

  // A line for each output that has ended since the last call, with on a terminal the running
  // outputs and the total below; on a terminal nothing when the last drawing is less than a
  // tenth of a second old.
  void Show(const std::vector<JobOutcome>& outcomes);
  // The last lines: what has ended since the last call; the live lines go.
  void Close(const std::vector<JobOutcome>& outcomes);

  // The line of an output that has ended: "clip.avi -> out/clip.mp3" or "clip.avi: reason".
  static std::string EndedLine(const std::string& title, const JobOutcome& outcome);

 private:
  void PrintEnded(const std::vector<JobOutcome>& outcomes);
  // The running outputs (as many as a screen of height lines shows) and the total.
  std::vector<std::string> LiveLines(const std::vector<JobOutcome>& outcomes, int height) const;
  void EraseLive();
  void Put(const std::string& text);

  const std::vector<SourcePlan>& sources_;
  const std::vector<OutputJob>& jobs_;
  const bool terminal_;
  std::FILE* const out_;
  const Clock::time_point start_;
  std::vector<char> announced_;  // per job: its ended line is out
  int liveLines_ = 0;            // lines of the live block on the screen now
  Clock::time_point lastDrawn_{};
};

// "3 of 20 files done, 00:42 left, 12.3x": the run as a whole, after elapsed seconds.
std::string TotalLine(const std::vector<OutputJob>& jobs, const std::vector<JobOutcome>& outcomes, double elapsed);

}  // namespace cli
