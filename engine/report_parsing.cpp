// Tmpegconverter: time codes and the engine's report lines.
#include "engine/mpegconverter.h"

int Tmpegconverter::TimeToSeconds(const AnsiString& timeCode) {
  const int hours = StrToInt(Copy(timeCode, 1, 2));
  const int minutes = StrToInt(Copy(timeCode, 4, 2));
  const int seconds = StrToInt(Copy(timeCode, 7, 2));
  return hours * 60 * 60 + minutes * 60 + seconds;
}

void Tmpegconverter::ParseOutput(bool wantDuration, bool wantTime, AnsiString& duration, AnsiString& elapsed) const {
  const AnsiString text = Output;
  duration = "00:00:00";
  elapsed = "0";
  if (wantDuration) {
    const int p = Pos("Duration: ", text);
    if (p > 0) duration = Trim(Copy(text, p + 10, 8));
  }
  if (wantTime) {
    // The last 51 characters hold at most one whole progress report.
    const AnsiString window = Copy(text, static_cast<int>(text.size()) - 50, 51);
    const int p = Pos("time=", window);
    if (p > 0) {
      const AnsiString rest = Copy(window, p + 5, 255);
      const int dot = Pos(".", rest);
      elapsed = dot > 0 ? Copy(rest, 1, dot - 1) : AnsiString();
    }
  }
}

AnsiString Tmpegconverter::GetDuration() const {
  AnsiString duration, elapsed;
  ParseOutput(true, false, duration, elapsed);
  return duration;
}

bool Tmpegconverter::ReportsLengthBelowOneSecond() const {
  const int p = Pos("Duration: ", Output);
  if (p == 0) return false;
  const AnsiString length = Copy(Output, p + 10, 10);  // HH:MM:SS.t
  return length.size() == 10 && length.compare(0, 9, "00:00:00.") == 0 && length[9] >= '1' && length[9] <= '9';
}

int Tmpegconverter::GetTime() const {
  AnsiString duration, elapsed;
  ParseOutput(false, true, duration, elapsed);
  return StrToInt(elapsed);
}
