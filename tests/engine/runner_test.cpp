#include <gtest/gtest.h>

#include <filesystem>

#include "app/engine_deployment.h"
#include "engine/mpegconverter.h"
#include "tests/support/temp_places.h"

namespace {

std::string Stub(const std::string& script) { return std::string(SONVARRA_STUB_PROGRAM) + " " + script; }

bool IsOpen(HANDLE handle) {
  DWORD flags = 0;
  return handle != nullptr && GetHandleInformation(handle, &flags);
}

struct Handles {
  HANDLE thread, process, read, write;
  explicit Handles(const Tmpegconverter& r)
      : thread(r.ProcessInfo.hThread), process(r.ProcessInfo.hProcess), read(r.ReadPipe), write(r.WritePipe) {}
  int OpenCount() const { return IsOpen(thread) + IsOpen(process) + IsOpen(read) + IsOpen(write); }
};

}  // namespace

TEST(Runner, ReturnsOnceTheInputReportArrivesAndLeavesTheEngineRunning) {
  Tmpegconverter runner;
  runner.Run(Stub("out Input\\n sleep 50 out \"  Duration: 00:01:30.5, start: 0.0\\n\" forever"));
  runner.ReadOutput();
  EXPECT_FALSE(runner.Finished);
  EXPECT_EQ(runner.Output, "Input\n  Duration: 00:01:30.5, start: 0.0\n");
  EXPECT_EQ(runner.GetDuration(), "00:01:30");
  runner.Terminate();
  EXPECT_TRUE(runner.Finished);
}

TEST(Runner, UnknownFormatAlsoEndsTheWaitWhileTheEngineRuns) {
  Tmpegconverter runner;
  runner.Run(Stub("err \"x.avi: Unknown format\\n\" forever"));
  runner.ReadOutput();
  EXPECT_FALSE(runner.Finished);
  EXPECT_EQ(runner.Output, "x.avi: Unknown format\n");
  EXPECT_EQ(runner.GetDuration(), "00:00:00");
  runner.Terminate();
}

TEST(Runner, AnEngineThatEndsSilentlyFinishesWithNoOutputAndTerminateStillClosesTheFourHandles) {
  Tmpegconverter runner;
  runner.Run(Stub("exit 1"));
  runner.ReadOutput();
  EXPECT_TRUE(runner.Finished);
  EXPECT_EQ(runner.Output, "");
  EXPECT_EQ(runner.ExitCode, 1u);
  const Handles handles(runner);
  ASSERT_EQ(handles.OpenCount(), 4) << "an ended run keeps its handles until Terminate or the next Run";
  runner.Terminate();
  EXPECT_EQ(handles.OpenCount(), 0);
  EXPECT_TRUE(runner.Finished);
  EXPECT_EQ(runner.ExitCode, 1u) << "the kill of an ended engine changes nothing";
}

TEST(Runner, NulBytesBecomeBlanksAndNothingElseChanges) {
  Tmpegconverter runner;
  runner.Run(Stub("out \"a\\0b\\r\\n\\0\\0  Duration: 00:00:01.0\" forever"));
  runner.ReadOutput();
  EXPECT_EQ(runner.Output, "a b\r\n    Duration: 00:00:01.0");
  EXPECT_EQ(runner.LastChunk.size(), runner.Output.size());
  runner.Terminate();
}

TEST(Runner, WhatTheEngineWroteLastIsReadOnceWhenItsEndIsSeen) {
  Tmpegconverter runner;
  runner.Run(Stub("out \"  Duration: 00:00:02.0\\n\" sleep 100 out last exit 0"));
  runner.ReadOutput();
  ASSERT_FALSE(runner.Finished);
  ASSERT_EQ(WaitForSingleObject(runner.ProcessInfo.hProcess, 10000), WAIT_OBJECT_0);
  runner.ReadOutput();
  EXPECT_TRUE(runner.Finished);
  EXPECT_EQ(runner.Output, "  Duration: 00:00:02.0\nlast");
  // After that the pipe is not read again, whatever arrives in it.
  DWORD written = 0;
  WriteFile(runner.WritePipe, "more", 4, &written, nullptr);
  runner.ReadOutput();
  EXPECT_EQ(runner.Output, "  Duration: 00:00:02.0\nlast");
  runner.Terminate();
}

TEST(Runner, AReportFollowedByAnImmediateExitIsNeverLost) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    Tmpegconverter runner;
    runner.Run(Stub("err \"  Duration: 00:00:07.5, start: 0\\n\" err \"cannot encode\\n\" exit 1"));
    runner.ReadOutput();
    EXPECT_EQ(runner.GetDuration(), "00:00:07") << "attempt " << attempt;
    runner.Terminate();
  }
}

TEST(Runner, ProgressIsCollectedCallByCall) {
  Tmpegconverter runner;
  runner.Run(
      Stub("out \"  Duration: 00:00:09.0\\n\" sleep 100 "
           "out \"size=      10kB time=4.5 bitrate= 128.0kbits/s    \\r\" forever"));
  runner.ReadOutput();
  EXPECT_EQ(runner.GetTime(), 0);
  for (int i = 0; i < 100 && runner.Output.find("time=") == std::string::npos; ++i) {
    Sleep(20);
    runner.ReadOutput();  // returns at once: the report is already there
  }
  EXPECT_EQ(runner.GetTime(), 4);
  EXPECT_EQ(runner.LastChunk, "size=      10kB time=4.5 bitrate= 128.0kbits/s    \r");
  runner.Terminate();
}

TEST(Runner, RunReleasesTheHandlesOfAnEndedRunAndStartsAfresh) {
  Tmpegconverter runner;
  runner.Run(Stub("out \"first  Duration: 00:00:01.0\" exit 0"));
  ASSERT_EQ(WaitForSingleObject(runner.ProcessInfo.hProcess, 10000), WAIT_OBJECT_0);
  runner.ReadOutput();
  ASSERT_TRUE(runner.Finished);
  const Handles first(runner);
  EXPECT_EQ(first.OpenCount(), 4);

  runner.Run(Stub("out \"second  Duration: 00:00:02.0\" forever"));
  EXPECT_FALSE(runner.Finished);
  EXPECT_EQ(runner.Output, "");
  EXPECT_EQ(first.OpenCount(), 0) << "the ended run's handles were closed";
  runner.ReadOutput();
  EXPECT_EQ(runner.Output, "second  Duration: 00:00:02.0");
  runner.Terminate();
}

TEST(Runner, TerminateClosesTheFourHandlesAndKeepsTheOutput) {
  Tmpegconverter runner;
  runner.Run(Stub("out \"  Duration: 00:00:03.0\" forever"));
  runner.ReadOutput();
  const Handles handles(runner);
  ASSERT_EQ(handles.OpenCount(), 4);
  const DWORD pid = runner.ProcessInfo.dwProcessId;
  runner.Terminate();
  EXPECT_TRUE(runner.Finished);
  EXPECT_EQ(handles.OpenCount(), 0);
  EXPECT_EQ(OpenProcess(SYNCHRONIZE, FALSE, pid), nullptr) << "the engine was killed";
  EXPECT_EQ(runner.Output, "  Duration: 00:00:03.0");
  runner.Terminate();  // again, on closed handles: harmless
  runner.ReadOutput();
  EXPECT_TRUE(runner.Finished);
}

TEST(Runner, CallsBeforeAnyRunAreHarmless) {
  Tmpegconverter runner;
  runner.ReadOutput();
  runner.Terminate();
  EXPECT_TRUE(runner.Finished);
  EXPECT_EQ(runner.Output, "");
}

TEST(Runner, AnEngineThatNeverReportsNorEndsIsStoppedAfterTheBound) {
  Tmpegconverter runner;
  runner.ReportTimeoutMs = 300;
  runner.Run(Stub("out \"no report here\" forever"));
  runner.ReadOutput();
  EXPECT_TRUE(runner.Finished);
  EXPECT_TRUE(runner.ReportTimedOut);
  EXPECT_EQ(runner.Output, "no report here");
  DWORD code = 0;
  GetExitCodeProcess(runner.ProcessInfo.hProcess, &code);
  EXPECT_NE(code, STILL_ACTIVE) << "the engine was stopped, not left running";
  runner.Terminate();
}

TEST(Runner, StartsAProgramThroughTheShortFormOfAPathWithBlanksAndNonAscii) {
  test_support::TempPlaces places;
  const std::filesystem::path folder = std::filesystem::path(places.HomeDir()) / "Programme für Ü 'x' $(id)";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(SONVARRA_STUB_PROGRAM, folder / "engine prog.exe");
  const std::string shortPath = ShortPathName((folder / "engine prog.exe").string());
  ASSERT_EQ(shortPath.find(' '), std::string::npos);

  Tmpegconverter runner;
  runner.Run(shortPath + " out \"  Duration: 00:00:04.0\\t\\xc3\\xa9\" forever");
  runner.ReadOutput();
  EXPECT_EQ(runner.Output, "  Duration: 00:00:04.0\t\xc3\xa9");
  runner.Terminate();
}

TEST(RunnerDeathTest, AnEngineThatCannotStartEndsTheProgramAfterTheMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Tmpegconverter runner;
        runner.Run("/nonexistent/wyl/nnn.exe -i x");
      },
      testing::ExitedWithCode(0), "CreateProcess error!");
}
