#pragma once
// The one way a conversion step reports failure: an exception whose text says what failed,
// on what, and why, ready to be shown to the user as it is.

#include <stdexcept>
#include <string>
#include <string_view>

namespace enginebin {

class EngineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The input could not be read as media at all; its text is the runner's "Unknown format" line.
class UnreadableInput : public EngineError {
 public:
  using EngineError::EngineError;
};

// Not a failure: the input is not what the parallel engine's plan assumed (or the parallel engine
// lacks a resource the sequential one does without), so the sequential engine does the job.
class PlanMismatch : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The library's own wording for an AVERROR code, e.g. "Invalid data found when processing input".
std::string av_error_text(int av_error);

// "what 'subject' (reason)".
std::string describe_failure(std::string_view what, std::string_view subject, int av_error);

// Throws EngineError(describe_failure(...)) when av_result is negative; returns it otherwise.
int check_av(int av_result, std::string_view what, std::string_view subject);

}  // namespace enginebin
