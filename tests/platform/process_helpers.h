// Starting the stub program with its output in a pipe, as the engine runner does.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/win32/kernel32.h"

struct PipedChild {
  HANDLE readPipe = nullptr;
  HANDLE writePipe = nullptr;
  PROCESS_INFORMATION info{};
  bool started = false;

  explicit PipedChild(const std::string& commandLine) {
    SECURITY_ATTRIBUTES attributes{12, nullptr, -1};
    if (!CreatePipe(&readPipe, &writePipe, &attributes, 0)) return;
    STARTUPINFOA startup{};
    GetStartupInfoA(&startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = writePipe;
    std::string line = commandLine;
    started = CreateProcessA(nullptr, line.data(), &attributes, nullptr, -1, 0, nullptr, nullptr, &startup, &info);
  }
  PipedChild(const PipedChild&) = delete;
  PipedChild& operator=(const PipedChild&) = delete;
  ~PipedChild() {
    if (started) {
      TerminateProcess(info.hProcess, 0);
      CloseHandle(info.hThread);
      CloseHandle(info.hProcess);
    }
    if (readPipe) CloseHandle(readPipe);
    if (writePipe) CloseHandle(writePipe);
  }

  DWORD WaitForExit() const { return WaitForSingleObject(info.hProcess, 10000); }
  DWORD ExitCode() const {
    DWORD code = 12345;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
  }
  DWORD Available() const {
    DWORD available = 0;
    PeekNamedPipe(readPipe, nullptr, 0, nullptr, &available, nullptr);
    return available;
  }
  std::string ReadAvailable() const {
    std::string data(Available(), '\0');
    DWORD read = 0;
    if (!data.empty()) ReadFile(readPipe, data.data(), static_cast<DWORD>(data.size()), &read, nullptr);
    data.resize(read);
    return data;
  }
};

inline std::string StubCommand(const std::string& script) { return std::string(SONVARRA_STUB_PROGRAM) + " " + script; }

// Running, and not merely a zombie that nobody has collected yet.
inline bool IsAlive(DWORD pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  std::getline(stat, text);
  const std::size_t close = text.rfind(')');
  return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z' && text[close + 2] != 'X';
}
