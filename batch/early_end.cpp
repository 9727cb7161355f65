#include "batch/early_end.h"

namespace batch {
namespace {

constexpr const char* kLead = "Input ended early: audio until ";
constexpr const char* kBetween = ", declared ";

// HH:MM:SS.ss, digits where digits belong.
bool IsTimeWithHundredths(const AnsiString& text) {
  constexpr const char* kShape = "00:00:00.00";
  if (text.size() != 11) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == '0' ? !digit : text[i] != kShape[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<EarlyEnd> FindEarlyEnd(const AnsiString& output) {
  const AnsiString lead = kLead, between = kBetween;
  for (std::size_t at = output.rfind(lead); at != AnsiString::npos;
       at = at == 0 ? AnsiString::npos : output.rfind(lead, at - 1)) {
    // Only at the start of a line: progress reports end in a carriage return, other lines in a
    // line feed.
    if (at > 0 && output[at - 1] != '\n' && output[at - 1] != '\r') continue;
    const std::size_t until = at + lead.size();
    const std::size_t declared = until + 11 + between.size();
    if (declared + 11 > output.size() || output.compare(until + 11, between.size(), between) != 0) continue;
    EarlyEnd end{output.substr(until, 11), output.substr(declared, 11)};
    if (IsTimeWithHundredths(end.AudioUntil) && IsTimeWithHundredths(end.Declared)) return end;
  }
  return std::nullopt;
}

AnsiString EarlyEndNote(const EarlyEnd& end) {
  return "its audio ends at " + end.AudioUntil + ", though it declares " + end.Declared + ".";
}

}  // namespace batch
