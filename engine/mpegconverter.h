// Tmpegconverter: runs the conversion engine as a hidden child process, collects its console
// output through a pipe, and reads durations and elapsed times from that output.
#pragma once

#include "framework/sysutils.h"
#include "platform/win32/kernel32.h"

class Tmpegconverter {
 public:
  Tmpegconverter() = default;
  ~Tmpegconverter() = default;  // a running engine is neither killed nor are its handles closed
  Tmpegconverter(const Tmpegconverter&) = delete;
  Tmpegconverter& operator=(const Tmpegconverter&) = delete;

  // Starts the engine; the command line's first token is the engine's path. Shows "Can not create
  // a pipe for STDOUT!" or "CreateProcess error!" and ends the program when it cannot.
  void Run(const AnsiString& commandLine);
  // Collects what the engine has written (once more when its end is first seen, never after that).
  // Returns once the output holds "Duration: " or
  // "Unknown format", or the engine has ended (Finished), or ReportTimeoutMs have passed without
  // either, in which case the engine is killed, counts as ended, and ReportTimedOut is set.
  void ReadOutput();
  // Kills the engine and closes the handles of the run; Finished becomes true.
  void Terminate();

  void ParseOutput(bool wantDuration, bool wantTime, AnsiString& duration, AnsiString& elapsed) const;
  AnsiString GetDuration() const;
  // Whether the input report gives a length above zero but below one second ("00:00:00.5"),
  // which GetDuration's whole seconds cannot tell from no length at all.
  bool ReportsLengthBelowOneSecond() const;
  int GetTime() const;                                   // EConvertError when the elapsed text is not a number
  static int TimeToSeconds(const AnsiString& timeCode);  // EConvertError on a non-numeric part

  bool Finished = false;
  STARTUPINFOA StartupInfo{};
  SECURITY_ATTRIBUTES SecurityAttributes{};
  PROCESS_INFORMATION ProcessInfo{};
  HANDLE ReadPipe = nullptr;
  HANDLE WritePipe = nullptr;
  AnsiString Buffer;
  DWORD ExitCode = 0;
  DWORD BytesRead = 0;
  DWORD BytesAvailable = 0;
  AnsiString CommandLine;
  AnsiString LastChunk;
  AnsiString Output;
  // How long ReadOutput waits for a report from an engine that keeps running.
  DWORD ReportTimeoutMs = 30000;
  // The engine of the last Run gave neither report nor end within ReportTimeoutMs.
  bool ReportTimedOut = false;

 private:
  void CloseRunHandles();
  void DrainPipe();
  void WaitForOutputOrExit(DWORD milliseconds);
};
