// Tmpegconverter: starting, polling and stopping the engine process.
#include "engine/mpegconverter.h"

#include <algorithm>
#include <chrono>

#include "framework/dialogs.h"

namespace {

constexpr DWORD kPollPauseMs = 100;
// The pause between polls ends early once output arrives or the engine exits; this is how often
// it looks.
constexpr DWORD kPollSliceMs = 2;

bool HoldsReport(const AnsiString& output) {
  return output.find("Duration: ") != AnsiString::npos || output.find("Unknown format") != AnsiString::npos;
}

}  // namespace

void Tmpegconverter::Run(const AnsiString& commandLine) {
  // A run that ended normally is never terminated; its handles are released here instead.
  CloseRunHandles();
  Finished = false;
  ReportTimedOut = false;
  Output.clear();
  LastChunk.clear();

  SecurityAttributes.nLength = 12;
  SecurityAttributes.lpSecurityDescriptor = nullptr;
  SecurityAttributes.bInheritHandle = -1;
  if (!CreatePipe(&ReadPipe, &WritePipe, &SecurityAttributes, 0)) {
    ShowMessage("Can not create a pipe for STDOUT!");
    Halt(0);
  }

  GetStartupInfoA(&StartupInfo);
  StartupInfo.cb = 68;
  StartupInfo.wShowWindow = 0;
  StartupInfo.hStdInput = WritePipe;
  StartupInfo.hStdOutput = WritePipe;
  StartupInfo.hStdError = WritePipe;
  StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;

  CommandLine = commandLine;
  if (!CreateProcessA(nullptr, CommandLine.data(), &SecurityAttributes, nullptr, -1, 0, nullptr, nullptr, &StartupInfo,
                      &ProcessInfo)) {
    ShowMessage("CreateProcess error!");
    Halt(0);
  }
}

void Tmpegconverter::ReadOutput() {
  if (ProcessInfo.hProcess == nullptr) {
    Finished = true;  // nothing was ever started
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ReportTimeoutMs);
  while (true) {
    GetExitCodeProcess(ProcessInfo.hProcess, &ExitCode);
    if (ExitCode != STILL_ACTIVE) {
      // An engine often prints its report and ends at once (a probe that cannot encode its
      // output does); what it wrote last is collected once, when its end is first seen.
      if (!Finished) DrainPipe();
      Finished = true;
      return;
    }
    DrainPipe();
    if (!Output.empty() && HoldsReport(Output)) return;
    if (std::chrono::steady_clock::now() >= deadline) {
      // An engine that neither reports nor ends would block the window for good: stop it and
      // carry on as if it had ended without a report.
      TerminateProcess(ProcessInfo.hProcess, 0);
      Finished = true;
      ReportTimedOut = true;
      return;
    }
    WaitForOutputOrExit(kPollPauseMs);
  }
}

void Tmpegconverter::DrainPipe() {
  PeekNamedPipe(ReadPipe, nullptr, 0, nullptr, &BytesAvailable, nullptr);
  while (BytesAvailable > 0) {
    Buffer.assign(BytesAvailable, '\0');
    ReadFile(ReadPipe, Buffer.data(), BytesAvailable, &BytesRead, nullptr);
    std::replace(Buffer.begin(), Buffer.end(), '\0', ' ');
    LastChunk = Buffer;
    Output += Buffer;
    PeekNamedPipe(ReadPipe, nullptr, 0, nullptr, &BytesAvailable, nullptr);
  }
}

void Tmpegconverter::Terminate() {
  if (ProcessInfo.hProcess != nullptr) TerminateProcess(ProcessInfo.hProcess, 0);
  CloseRunHandles();
  Finished = true;
}

void Tmpegconverter::CloseRunHandles() {
  // Thread, process, read end, write end: each handle is closed once and then forgotten.
  for (HANDLE* handle : {&ProcessInfo.hThread, &ProcessInfo.hProcess, &ReadPipe, &WritePipe}) {
    if (*handle != nullptr) CloseHandle(*handle);
    *handle = nullptr;
  }
}

void Tmpegconverter::WaitForOutputOrExit(DWORD milliseconds) {
  for (DWORD waited = 0; waited < milliseconds; waited += kPollSliceMs) {
    DWORD available = 0;
    if (PeekNamedPipe(ReadPipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) return;
    if (WaitForSingleObject(ProcessInfo.hProcess, kPollSliceMs) == WAIT_OBJECT_0) return;
  }
}
