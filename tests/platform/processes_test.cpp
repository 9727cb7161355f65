#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/kernel32.h"
#include "process_helpers.h"
#include "tests/support/temp_places.h"

TEST(Processes, PeekCountsWhatArrivedAndReadTakesExactlyThat) {
  PipedChild child(StubCommand("out hello\\r\\n err \\0x exit 7"));
  ASSERT_TRUE(child.started);
  ASSERT_EQ(child.WaitForExit(), WAIT_OBJECT_0);
  // Both standard output and error reach the one pipe; the held write end keeps it open.
  EXPECT_EQ(child.Available(), 9u);
  EXPECT_EQ(child.ReadAvailable(), std::string("hello\r\n\0x", 9));
  EXPECT_EQ(child.Available(), 0u);
  DWORD available = 99;
  EXPECT_TRUE(PeekNamedPipe(child.readPipe, nullptr, 0, nullptr, &available, nullptr));
  EXPECT_EQ(available, 0u);
  EXPECT_EQ(child.ExitCode(), 7u);
}

TEST(Processes, ExitCodeIsStillActiveWhileRunningAndTheKillCodeAfterwards) {
  PipedChild child(StubCommand("forever"));
  ASSERT_TRUE(child.started);
  EXPECT_EQ(child.ExitCode(), STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(child.info.hProcess, 20), WAIT_TIMEOUT);
  EXPECT_TRUE(TerminateProcess(child.info.hProcess, 0));
  EXPECT_EQ(child.ExitCode(), 0u);
  // A second kill fails harmlessly and leaves the code as it was.
  EXPECT_FALSE(TerminateProcess(child.info.hProcess, 5));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(child.ExitCode(), 0u);
}

TEST(Processes, KillAfterANormalEndKeepsTheProgramsOwnCode) {
  PipedChild child(StubCommand("exit 3"));
  ASSERT_TRUE(child.started);
  ASSERT_EQ(child.WaitForExit(), WAIT_OBJECT_0);
  EXPECT_FALSE(TerminateProcess(child.info.hProcess, 0));
  EXPECT_EQ(child.ExitCode(), 3u);
}

TEST(Processes, ClosedHandlesAreGone) {
  PipedChild child(StubCommand("exit 0"));
  ASSERT_TRUE(child.started);
  child.WaitForExit();
  for (HANDLE* handle : {&child.info.hThread, &child.info.hProcess, &child.readPipe, &child.writePipe}) {
    EXPECT_TRUE(CloseHandle(*handle));
    EXPECT_FALSE(CloseHandle(*handle));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    *handle = nullptr;
  }
  DWORD code = 0;
  EXPECT_FALSE(GetExitCodeProcess(child.info.hProcess, &code));
  child.started = false;
}

TEST(Processes, ArgumentsAreSplitByTheWindowsRulesAndNeverReachAShell) {
  PipedChild child(StubCommand("args \"a b\" c\\\"d ;$(id) `id` |x > y"));
  ASSERT_TRUE(child.started);
  child.WaitForExit();
  EXPECT_EQ(child.ReadAvailable(), "[a b]\n[c\"d]\n[;$(id)]\n[`id`]\n[|x]\n[>]\n[y]\n");
}

TEST(Processes, TheChildGetsOnlyItsThreeStandardHandles) {
  PipedChild other(StubCommand("forever"));  // more descriptors open in this process
  PipedChild child(StubCommand("fds"));
  ASSERT_TRUE(child.started);
  child.WaitForExit();
  EXPECT_EQ(child.ReadAvailable(), "3\n");
}

TEST(Processes, AMissingProgramFailsToStart) {
  PipedChild child("/nonexistent/folder/nnn.exe -i x");
  EXPECT_FALSE(child.started);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(Processes, AProgramNamedWithoutItsExeExtensionIsFound) {
  test_support::TempFolder folder;
  std::filesystem::copy_file(SONVARRA_STUB_PROGRAM, folder.path() / "prog.exe");
  PipedChild child(folder.str() + "/prog out found");
  ASSERT_TRUE(child.started);
  child.WaitForExit();
  EXPECT_EQ(child.ReadAvailable(), "found");
}

TEST(Processes, OpenProcessSeesAnyRunningProcessAndTellsWhenItHasEnded) {
  PipedChild child(StubCommand("forever"));
  ASSERT_TRUE(child.started);
  const HANDLE other = OpenProcess(SYNCHRONIZE, FALSE, child.info.dwProcessId);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(WaitForSingleObject(other, 0), WAIT_TIMEOUT);
  DWORD flags = 99;
  EXPECT_TRUE(GetHandleInformation(other, &flags));
  EXPECT_EQ(flags, 0u);
  TerminateProcess(child.info.hProcess, 0);  // the child's own handle collects it
  EXPECT_EQ(WaitForSingleObject(other, 1000), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(other));
  EXPECT_FALSE(GetHandleInformation(other, &flags));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(OpenProcess(SYNCHRONIZE, FALSE, child.info.dwProcessId), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

namespace {
// Written by the handlers' thread.
std::mutex callsMutex;
std::vector<std::string> calls;
void Called(const std::string& what) {
  std::lock_guard lock(callsMutex);
  calls.push_back(what);
}
std::vector<std::string> CallsSoFar(std::size_t expected) {
  for (int i = 0; i < 1000; ++i) {
    {
      std::lock_guard lock(callsMutex);
      if (calls.size() >= expected) return calls;
    }
    Sleep(2);
  }
  std::lock_guard lock(callsMutex);
  return calls;
}
BOOL WINAPI Declines(DWORD event) {
  Called("declines " + std::to_string(event));
  return FALSE;
}
BOOL WINAPI Handles(DWORD event) {
  Called("handles " + std::to_string(event));
  return TRUE;
}
}  // namespace

TEST(Processes, TerminationSignalsReachTheControlHandlersLastAddedFirst) {
  ASSERT_TRUE(SetConsoleCtrlHandler(Handles, TRUE));
  ASSERT_TRUE(SetConsoleCtrlHandler(Declines, TRUE));
  kill(getpid(), SIGTERM);
  ASSERT_EQ(CallsSoFar(2).size(), 2u);
  kill(getpid(), SIGINT);
  EXPECT_EQ(CallsSoFar(4), (std::vector<std::string>{"declines 1", "handles 1", "declines 0", "handles 0"}));
  EXPECT_TRUE(SetConsoleCtrlHandler(Declines, FALSE));
  EXPECT_TRUE(SetConsoleCtrlHandler(Handles, FALSE));
  EXPECT_FALSE(SetConsoleCtrlHandler(Handles, FALSE));
}

namespace {

bool AllEnd(const std::vector<DWORD>& pids, int milliseconds) {
  for (int waited = 0; waited <= milliseconds; waited += 10) {
    if (std::none_of(pids.begin(), pids.end(), IsAlive)) return true;
    Sleep(10);
  }
  return false;
}

// The ids printed as "child <id>" by the process owner, once there are that many.
std::vector<DWORD> ChildrenOf(PipedChild& owner, std::size_t count) {
  std::string output;
  std::vector<DWORD> pids;
  for (int i = 0; i < 1000 && pids.size() < count; ++i) {
    output += owner.ReadAvailable();
    pids.clear();
    std::istringstream lines(output);
    for (std::string word; lines >> word;) {
      DWORD pid = 0;
      if (word == "child" && lines >> pid) pids.push_back(pid);
    }
    Sleep(5);
  }
  return pids;
}

std::string OwnerCommand(const std::string& script) { return std::string(SONVARRA_PROCESS_OWNER) + " " + script; }

}  // namespace

TEST(Processes, ChildrenEndWithTheProcessThatStartedThemEvenWhenItIsKilled) {
  const std::string forever = "\"" + StubCommand("forever") + "\"";
  PipedChild owner(OwnerCommand("start " + forever + " thread " + forever + " wait"));
  ASSERT_TRUE(owner.started);
  const std::vector<DWORD> children = ChildrenOf(owner, 2);
  ASSERT_EQ(children.size(), 2u);
  Sleep(100);
  // The thread that started the second one has ended; only the process's end may end them.
  EXPECT_TRUE(IsAlive(children[0]));
  EXPECT_TRUE(IsAlive(children[1]));
  ASSERT_TRUE(TerminateProcess(owner.info.hProcess, 9));  // as SIGKILL ends it: no clean-up of its own
  EXPECT_TRUE(AllEnd(children, 2000)) << "a child outlived the process that started it";
}
