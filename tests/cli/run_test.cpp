// How a run behaves: names between its jobs, what a dry run and shards take, what is refused
// before anything runs, and what an interruption leaves.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <set>
#include <sstream>
#include <thread>

#include "tests/cli/cli_program.h"
#include "tests/enginebin/media_inspection.h"
#include "tests/enginebin/test_media.h"

extern char** environ;

namespace cli_test {
namespace {

using enginebin_test::inspect_audio;
using enginebin_test::test_clip;
using namespace std::chrono_literals;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(CliTest, JobsThatWantOneNameGetFreeOnesAndNothingThereIsReplaced) {
  fs::create_directories(Out());
  test_support::WriteFile(Out() + "clip.mp3", "mine");
  const std::vector<std::string> sources = {Source(test_clip("clip.avi"), "a/clip.avi"),
                                            Source(test_clip("clip.mp4"), "b/clip.mp4"),
                                            Source(test_clip("clip.mov"), "c/clip.mov")};
  const auto result = Run({sources[0], sources[1], sources[2], "-o", Out(), "-j", "3"});
  ASSERT_EQ(result.exit_code, 0) << result.output;
  EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"[1]clip.mp3", "[2]clip.mp3", "[3]clip.mp3", "clip.mp3"}));
  EXPECT_EQ(test_support::ReadFile(Out() + "clip.mp3"), "mine");
  // One plain line per finished file, each naming its own output; the same names a dry run gives.
  for (const char* line : {"clip.avi -> ", "clip.mp4 -> ", "clip.mov -> "})
    EXPECT_NE(result.output.find(line), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("clip.mov -> " + Out() + "[3]clip.mp3\n"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("Converted 3 of 3 files.\n"), std::string::npos);
  for (const std::string name : {"[1]clip.mp3", "[2]clip.mp3", "[3]clip.mp3"})
    EXPECT_NEAR(inspect_audio(Out() + name)->seconds(), 3.0, 0.1) << name;
}

TEST_F(CliTest, ADryRunNamesWhatWouldBeWrittenAndWritesNothing) {
  Source(test_clip("clip.avi"), "x.avi");
  Source(test_clip("clip.mkv"), "deeper/y.mkv");
  test_support::WriteFile(Sources() + "notes.txt", "not media");
  const auto result = Run({Sources(), "--recursive", "-o", Out(), "--dry-run", "--range", "1-2", "--range", "2-3"});
  ASSERT_EQ(result.exit_code, 0) << result.output;
  EXPECT_EQ(result.output, "x.avi [00:01.000-00:02.000] -> " + Out() + "x-1.mp3\n" + "x.avi [00:02.000-00:03.000] -> " +
                               Out() + "x-2.mp3\n" + "y.mkv [00:01.000-00:02.000] -> " + Out() + "y-1.mp3\n" +
                               "y.mkv [00:02.000-00:03.000] -> " + Out() + "y-2.mp3\n" +
                               "Dry run: nothing was written.\n");
  EXPECT_FALSE(fs::exists(Out()));
  EXPECT_TRUE(TemporaryFiles().empty());
}

TEST_F(CliTest, ShardsOfOneFolderTakeEveryFileExactlyOnce) {
  for (int i = 0; i < 7; ++i) Source(test_clip("short.avi"), "f" + std::to_string(i) + ".avi");
  std::multiset<std::string> taken;
  for (int k = 1; k <= 3; ++k) {
    const auto result = Run({Sources(), "--dry-run", "-o", Out(), "--shard", std::to_string(k) + "/3"});
    ASSERT_EQ(result.exit_code, 0) << result.output;
    for (const std::string& line : Lines(result.output))
      if (line.find(" -> ") != std::string::npos) taken.insert(line.substr(0, line.find(" -> ")));
  }
  EXPECT_EQ(taken.size(), 7u);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(taken.count("f" + std::to_string(i) + ".avi"), 1u) << i;
}

TEST_F(CliTest, WhatCannotRunAsGivenStopsBeforeAnythingRunsWithTheUsageLine) {
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{test_clip("clip.avi"), "-f", "wma"},
                                                    {test_clip("clip.avi"), "--range", "9-2"},
                                                    {test_clip("clip.avi"), "-j", "0"},
                                                    {test_clip("clip.avi"), "--shard", "4/3"}}) {
    const auto result = Run(arguments);
    EXPECT_EQ(result.exit_code, 2) << result.output;
    EXPECT_NE(result.output.find("usage: sonvarra-cli [options] FILE|FOLDER..."), std::string::npos);
  }
  test_support::WriteFile(places_.HomeDir() + "/a file", "x");
  const auto result = Run({test_clip("clip.avi"), "-o", places_.HomeDir() + "/a file/"});
  EXPECT_EQ(result.exit_code, 2) << result.output;
  EXPECT_NE(result.output.find("is a file, not a folder"), std::string::npos) << result.output;
  // Nothing ran: the engine was not even written out.
  EXPECT_FALSE(fs::exists(places_.WindowsDir() + "/wyl"));
}

TEST_F(CliTest, AFileThatCannotBeReadIsReportedAndTheOthersAreConverted) {
  const auto result = Run({test_clip("junk.avi"), test_clip("clip.avi"), places_.HomeDir() + "/gone.avi", "-o", Out(),
                           "--json", Out() + "report.json"});
  EXPECT_EQ(result.exit_code, 1) << result.output;
  EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"clip.mp3", "report.json"}));
  EXPECT_NE(result.output.find("Converted 1 of 3 files."), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("2 failures:\n  " + test_clip("junk.avi") + ": There is no CODEC"), std::string::npos)
      << result.output;
  const std::string json = test_support::ReadFile(Out() + "report.json");
  EXPECT_NE(json.find("\"error\": \"There is no such file or folder.\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"converted\": 1"), std::string::npos);
}

TEST_F(CliTest, AnEngineThatCannotBeStartedEndsTheRunAsAFailure) {
  ASSERT_EQ(Run({test_clip("short.avi"), "-o", Out()}).exit_code, 0);
  // The deployed engine as it is, but no longer a program.
  fs::permissions(places_.WindowsDir() + "/wyl/nnn.exe", fs::perms::owner_read | fs::perms::owner_write);
  const auto result = Run({test_clip("short.avi"), "-o", Out() + "again/"});
  EXPECT_EQ(result.exit_code, 1) << result.output;
  EXPECT_NE(result.output.find("CreateProcess error!"), std::string::npos) << result.output;
  EXPECT_TRUE(TemporaryFiles().empty());
}

// The command started in a process group of its own, as a shell starts a job.
class Job {
 public:
  explicit Job(const std::vector<std::string>& command) {
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const auto& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  ~Job() {
    if (pid_ > 0 && !reaped_) {
      kill(-pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  // Ctrl-C at a terminal reaches every process of the job; a SIGTERM only the one named.
  void Interrupt(int signal, bool wholeGroup) { kill(wholeGroup ? -pid_ : pid_, signal); }
  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    reaped_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
};

class Interruption : public CliTest, public testing::WithParamInterface<std::pair<int, bool>> {};

TEST_P(Interruption, StopsEveryEngineAndLeavesOnlyFinishedFiles) {
  const auto [signal, wholeGroup] = GetParam();
  std::vector<std::string> command = Command({test_clip("clip.avi"), "-o", Out(), "-j", "2"});
  for (int i = 0; i < 5; ++i) command.push_back(Source(test_clip("long.wav"), "long" + std::to_string(i) + ".wav"));
  Job job(command);
  // The long files go first; once one is done, the next ones are under way.
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (OutputFiles().empty() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(10ms);
  std::this_thread::sleep_for(100ms);
  const auto stopped = std::chrono::steady_clock::now();
  job.Interrupt(signal, wholeGroup);
  EXPECT_EQ(job.Wait(), 130);
  EXPECT_LT(std::chrono::steady_clock::now() - stopped, 5s);
  // What was finished stays whole; nothing partial is left anywhere.
  const std::vector<std::string> finished = OutputFiles();
  EXPECT_FALSE(finished.empty());
  EXPECT_LT(finished.size(), 6u);
  for (const std::string& name : finished) {
    const auto facts = inspect_audio(Out() + name);
    ASSERT_TRUE(facts.has_value()) << name;
    EXPECT_NEAR(facts->seconds(), name == "clip.mp3" ? 3.0 : 120.0, 0.1) << name;
  }
  EXPECT_TRUE(TemporaryFiles().empty()) << TemporaryFiles().front();
  // No engine of the run is left behind.
  const std::string engine = places_.WindowsDir() + "/wyl/nnn.exe";
  // "[/]" keeps the pattern from finding the shell that runs pgrep.
  EXPECT_NE(system(("pgrep -f '[/]" + engine.substr(1) + "' > /dev/null").c_str()), 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, Interruption, testing::Values(std::pair{SIGINT, true}, std::pair{SIGTERM, false}),
                         [](const auto& info) { return info.param.first == SIGINT ? "CtrlC" : "Term"; });

}  // namespace
}  // namespace cli_test
