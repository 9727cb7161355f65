// Conversions that cannot succeed: each must end with a message naming the file and the
// reason, a non-zero exit code, no crash, and the output path as it was before the run.

#include "child_process.h"
#include "classic_command.h"
#include "media_inspection.h"
#include "test_media.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

namespace enginebin_test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::vector<std::string> mp3_command(const std::string& source, const std::string& output) {
  return {"-y",  "-i",  source, "-bitexact", "-acodec", "mp3", "-ac",      "2",  "-ar",      "44100", "-vol",
          "256", "-ab", "128",  "-f",        "mp3",     "-ss", "00:00:00", "-t", "00:00:04", output};
}

// Long enough to be stopped while it runs: one worker (several would finish too soon).
std::vector<std::string> two_minute_conversion(const std::string& output) {
  std::vector<std::string> command = mp3_command(test_clip("long.wav"), output);
  set_option(command, "-t", "00:02:00");
  return with_workers(command, 1);
}

// Names in the folder of the output path, sorted.
std::vector<std::string> files_beside(const std::string& output) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(fs::path(output).parent_path(), ignored))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// before: what the output path held before the run, if anything.
void expect_clean_failure(const ProcessResult& result, const std::string& named, const std::string& output,
                          const std::optional<std::string>& before = std::nullopt) {
  EXPECT_EQ(result.signal, 0) << "the engine crashed:\n" << result.output;
  EXPECT_FALSE(has_sanitizer_report(result.output)) << result.output;
  EXPECT_NE(result.exit_code, 0) << result.output;
  EXPECT_NE(result.output.find(named), std::string::npos) << result.output;
  if (before) {
    std::ifstream file(output, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), *before) << "a failed run changed " << output;
  } else {
    EXPECT_FALSE(fs::exists(output)) << "a failed run left " << output;
  }
  for (const std::string& name : files_beside(output))
    EXPECT_EQ(name.find(".part"), std::string::npos) << "a failed run left " << name;
}

std::string copy_of(const std::string& clip, const std::string& folder) {
  const std::string copy = folder + "/" + fs::path(clip).filename().string();
  fs::copy_file(clip, copy);
  return copy;
}

TEST(BadInput, EveryKindFailsCleanly) {
  // (A file cut short gives the audio it holds: see EarlyEnd.)
  const std::string folder = fresh_folder("bad-input");
  std::string missing = folder + "/missing.avi";

  for (const std::string& source : {test_clip("junk.avi"), test_clip("empty.avi"), test_clip("noaudio.avi"), missing}) {
    SCOPED_TRACE(source);
    const std::string output = folder + "/wyl.mp3";
    // Even with -y, a run that produces nothing must not destroy the file that was there.
    std::ofstream(output) << "older";
    expect_clean_failure(run_engine(mp3_command(source, output)), source, output, "older");
  }
}

TEST(BadInput, DamagedMediaNeverCrashesTheEngine) {
  const std::string folder = fresh_folder("damaged");
  for (const char* name : {"clip.mp4", "clip.avi", "clip.mpg", "clip.wmv"}) {
    SCOPED_TRACE(name);
    const std::string damaged = copy_of(test_clip(name), folder);
    {
      // Overwrite stretches of the middle with garbage, headers left intact.
      std::fstream file(damaged, std::ios::in | std::ios::out | std::ios::binary);
      const auto size = static_cast<std::streamoff>(fs::file_size(damaged));
      for (std::streamoff at = size / 4; at < size; at += size / 6) {
        file.seekp(at);
        for (int i = 0; i < 600; ++i) file.put(static_cast<char>(i * 97 + 13));
      }
    }
    const std::string output = folder + "/wyl.mp3";
    const ProcessResult result = run_engine(mp3_command(damaged, output));
    EXPECT_EQ(result.signal, 0) << result.output;
    EXPECT_FALSE(has_sanitizer_report(result.output)) << result.output;
    if (result.exit_code == 0) {
      EXPECT_TRUE(inspect_audio(output).has_value());
    } else {
      EXPECT_FALSE(fs::exists(output));
    }
    fs::remove(output);
  }
}

TEST(BadInput, StartBeyondTheEnd) {
  const std::string output = fresh_folder("beyond") + "/wyl.mp3";
  std::vector<std::string> command = mp3_command(test_clip("clip.avi"), output);
  for (const char* start : {"00:00:03.5", "00:10:00"}) {
    command[std::find(command.begin(), command.end(), "-ss") - command.begin() + 1] = start;
    expect_clean_failure(run_engine(command), "clip.avi", output);
  }
}

TEST(BadOutput, FolderMissingOrNotAFolder) {
  const std::string folder = fresh_folder("bad-folder");
  std::ofstream(folder + "/plain-file") << "x";
  for (const std::string& output : {folder + "/missing/wyl.mp3", folder + "/plain-file/wyl.mp3"}) {
    SCOPED_TRACE(output);
    expect_clean_failure(run_engine(mp3_command(test_clip("clip.avi"), output)), output, output);
  }
}

TEST(BadOutput, DeviceThatIsFull) {
  // /dev/full refuses every write with ENOSPC; it must survive, being no file of ours.
  const ProcessResult result = run_engine(mp3_command(test_clip("clip.mp4"), "/dev/full"));
  EXPECT_EQ(result.signal, 0);
  EXPECT_FALSE(has_sanitizer_report(result.output)) << result.output;
  EXPECT_NE(result.exit_code, 0);
  EXPECT_NE(result.output.find("'/dev/full' (No space left on device)"), std::string::npos) << result.output;
  EXPECT_TRUE(fs::exists("/dev/full"));
}

TEST(BadOutput, DiskThatFillsUpHalfway) {
  const std::string mount_point = fresh_folder("tiny-disk");
  if (::mount("tmpfs", mount_point.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
  const struct Unmount {
    const std::string& path;
    ~Unmount() { ::umount(path.c_str()); }
  } unmount{mount_point};
  const std::string output = mount_point + "/wyl.wav";
  // Without -y: the file is the engine's own creation, and so its own to remove.
  const ProcessResult result = run_engine({"-i", test_clip("clip.mp4"), "-acodec", "wav", "-f", "wav", output});
  expect_clean_failure(result, output, output);
  EXPECT_NE(result.output.find("No space left on device"), std::string::npos) << result.output;
}

TEST(BadOutput, TheInputItselfIsRefused) {
  const std::string source = copy_of(test_clip("clip.avi"), fresh_folder("same-file"));
  const auto size = fs::file_size(source);
  const ProcessResult result = run_engine(mp3_command(source, source));
  EXPECT_NE(result.exit_code, 0);
  EXPECT_EQ(fs::file_size(source), size) << "the input was overwritten";
}

TEST(BadOptions, RefusedWithTheValueNamedAfterTheReport) {
  const std::string folder = fresh_folder("options");
  const std::string source = test_clip("clip.mp4");
  struct Refusal {
    std::string option;
    std::string value;
    std::string output_ext;
  };
  for (const Refusal& refusal :
       {Refusal{"-acodec", "amr_nb", "mp3"}, Refusal{"-acodec", "aac", "mp3"}, Refusal{"-f", "3gp", "mp3"},
        Refusal{"-f", "ogg", "ogg"}, Refusal{"-ar", "22050", "ac3"}, Refusal{"-ar", "many", "mp3"},
        Refusal{"-ac", "9", "mp3"}, Refusal{"-ac", "6", "mp3"}, Refusal{"-ab", "0", "mp3"},
        Refusal{"-vol", "-5", "mp3"}, Refusal{"-ss", "1:75:00", "mp3"}, Refusal{"-t", "0", "mp3"},
        Refusal{"-t", "soon", "mp3"}}) {
    SCOPED_TRACE(refusal.option + " " + refusal.value);
    const std::string output = folder + "/wyl." + refusal.output_ext;
    std::vector<std::string> command = {"-y", "-i", source, "-acodec", refusal.output_ext, "-f", refusal.output_ext};
    if (refusal.output_ext == "ogg") command = {"-y", "-i", source};
    command.insert(command.end(), {refusal.option, refusal.value, output});
    const ProcessResult result = run_engine(command);
    expect_clean_failure(result, refusal.value, output);
    EXPECT_NE(result.output.find("  Duration: 00:00:03."), std::string::npos) << result.output;
    EXPECT_NE(last_line(result.output).find(refusal.value), std::string::npos) << result.output;
  }
}

TEST(BadOptions, MalformedCommandLines) {
  const std::string folder = fresh_folder("syntax");
  const std::string output = folder + "/wyl.mp3";
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"-i", test_clip("clip.avi"), "-foo", output},
        std::vector<std::string>{"-i", test_clip("clip.avi"), output, "-ss"},
        std::vector<std::string>{"-i", test_clip("clip.avi"), output, folder + "/second.mp3"},
        std::vector<std::string>{"-y", output}, std::vector<std::string>{}}) {
    const ProcessResult result = run_engine(command);
    EXPECT_EQ(result.signal, 0);
    EXPECT_FALSE(has_sanitizer_report(result.output)) << result.output;
    EXPECT_NE(result.exit_code, 0) << result.output;
    EXPECT_FALSE(result.output.empty());
    EXPECT_FALSE(fs::exists(output));
  }
}

TEST(Interruption, StoppedPolitelyLeavesNoFileAndTheOlderOneAsItWas) {
  const std::string folder = fresh_folder("terminated");
  const std::string output = folder + "/wyl.mp3";
  for (const int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    std::ofstream(output) << "older";
    ChildProcess engine(engine_command(two_minute_conversion(output)));
    ASSERT_TRUE(engine.wait_for_output("size=", 30s)) << engine.output();
    engine.send_signal(signal);
    expect_clean_failure(engine.wait(), "long.wav", output, "older");
  }
}

TEST(Interruption, KilledNeverLeavesAFileUnderTheOutputName) {
  // A killed engine cannot clean up: what it wrote stays under a name of its own beside the
  // output, for the program to remove.
  const std::string folder = fresh_folder("killed");
  const std::string output = folder + "/wyl.mp3";
  ChildProcess engine(engine_command(two_minute_conversion(output)));
  ASSERT_TRUE(engine.wait_for_output("size=", 30s)) << engine.output();
  EXPECT_FALSE(fs::exists(output)) << "the output took its name before it was complete";
  engine.send_signal(SIGKILL);
  engine.wait();
  EXPECT_FALSE(fs::exists(output));
  const std::vector<std::string> left = files_beside(output);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left.front().rfind("wyl.mp3.", 0), 0u) << left.front();
  EXPECT_EQ(fs::path(left.front()).extension(), ".part");
}

TEST(Interruption, ATerminationEndsAWaitForAnInputThatNeverDelivers) {
  const std::string folder = fresh_folder("stalled");
  const std::string fifo = folder + "/stalled.avi";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string output = folder + "/out/wyl.mp3";
  fs::create_directories(fs::path(output).parent_path());
  // Without a writer the engine waits in opening the input; with a silent one, in reading it.
  for (const bool writer : {false, true}) {
    SCOPED_TRACE(writer ? "silent writer" : "no writer");
    const int held = writer ? ::open(fifo.c_str(), O_RDWR) : -1;
    ChildProcess engine(engine_command(mp3_command(fifo, output)));
    for (int i = 0; i < 1000 && engine.running() && !engine.catches(SIGTERM); ++i) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(100ms);  // on to its wait for the input
    ASSERT_TRUE(engine.running()) << engine.output();
    engine.send_signal(SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (engine.running() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(10ms);
    ASSERT_FALSE(engine.running()) << "the engine did not stop";
    expect_clean_failure(engine.wait(), "stalled.avi", output);
    if (held >= 0) ::close(held);
  }
}

}  // namespace
}  // namespace enginebin_test
