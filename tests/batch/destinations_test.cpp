// Where the converted files go, as people really use it: a FAT stick through FUSE, a slow disk
// that must not freeze the window, folders that take no files; and what the batch says about
// empty ranges, files that end early and a full temporary folder.
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <iostream>
#include <thread>

#include "app/engine_deployment.h"
#include "batch/temporary_output.h"
#include "platform/win32/posix_files.h"
#include "tests/batch/batch_program.h"
#include "tests/enginebin/media_inspection.h"
#include "tests/enginebin/test_media.h"
#include "tests/support/fat_mount.h"

namespace batch_test {
namespace {

using enginebin_test::inspect_audio;
using enginebin_test::test_clip;
using test_support::FatMount;
using test_support::ProcessEventsUntil;
using test_support::ReplaceEngine;
using win32::detail::FileSystem;
using win32::detail::FileSystemCalls;

TEST_F(BatchTest, ThreeFilesGoOntoAFatStickThroughFuseAndNoneReplacesWhatIsThere) {
  FatMount stick;
  if (!stick.Missing().empty()) GTEST_SKIP() << stick.Missing();
  test_support::WriteFile(stick.Path() + "/clip.mp3", "the user's own");
  Form1->sDirectoryEdit1->SetText(stick.Path());
  List(Source(test_clip("clip.avi"), "clip.avi"));
  List(Source(test_clip("clip.mp4"), "with blank.mp4"));
  List(Source(test_clip("clip.mkv"), "CLIP.mkv"));  // FAT knows no letter case
  EXPECT_EQ(RunBatch(), "Done.");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(stick.Path())) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"[1]clip.mp3", "[2]CLIP.mp3", "clip.mp3", "with blank.mp3"}));
  EXPECT_EQ(test_support::ReadFile(stick.Path() + "/clip.mp3"), "the user's own");
  for (const char* name : {"[1]clip.mp3", "[2]CLIP.mp3", "with blank.mp3"}) {
    const auto facts = inspect_audio(stick.Path() + "/" + name);
    ASSERT_TRUE(facts.has_value()) << name;
    EXPECT_NEAR(facts->seconds(), 3.0, 0.06) << name;
  }
}

// A disk that takes this many bytes a second; moves out of the temporary folder cross to it.
constexpr double kSlowDiskBytesPerSecond = 24e6;
std::string slowTemporaryFolder;
int (*systemRename)(const char*, const char*) = nullptr;

ssize_t SlowWrite(int fd, const void* data, std::size_t size) {
  std::this_thread::sleep_for(std::chrono::duration<double>(static_cast<double>(size) / kSlowDiskBytesPerSecond));
  return write(fd, data, size);
}

int RenameFromTemporaryCrosses(const char* from, const char* to) {
  if (std::string(from).rfind(slowTemporaryFolder, 0) == 0) {
    errno = EXDEV;
    return -1;
  }
  return systemRename(from, to);
}

class SlowDiskBatch : public BatchTest {
 protected:
  void SetUp() override {
    BatchTest::SetUp();
    saved_ = FileSystem();
    slowTemporaryFolder = batch::TemporaryFolder();
    systemRename = saved_.renameNoReplace;
    FileSystem().write = SlowWrite;
    FileSystem().renameNoReplace = RenameFromTemporaryCrosses;
    // An engine that reports its input at once and writes a large file quickly.
    ReplaceEngine("echo '  Duration: 00:00:10.00, start: 0.000000'; for a; do out=$a; done; head -c " +
                  std::to_string(kBytes) + " /dev/zero > \"$out\"");
  }
  void TearDown() override {
    FileSystem() = saved_;
    BatchTest::TearDown();
  }
  static constexpr long kBytes = 64l << 20;
  FileSystemCalls saved_{};
};

TEST_F(SlowDiskBatch, TheWindowStaysLiveWhileALargeFileIsPutInPlace) {
  List(Source(test_clip("clip.avi"), "clip.avi"));
  // The longest stretch between two turns of the event loop, from the moment the engine writes
  // its file (before that, starting an engine is not this test's business) to the end of the batch.
  const std::string temporary = batch::TemporaryOutputFile("mp3");
  QElapsedTimer clock;
  qint64 last = -1, longest = 0;
  QTimer beat;
  beat.setInterval(5);
  QObject::connect(&beat, &QTimer::timeout, [&] {
    if (last >= 0) {
      longest = std::max(longest, clock.elapsed() - last);
      last = clock.elapsed();
    } else if (fs::exists(temporary)) {
      last = clock.elapsed();
    }
  });
  clock.start();
  beat.start();
  Press(Form1->sSpeedButton4);
  EXPECT_EQ(FinishBatch(), "Done.");
  ASSERT_GE(last, 0) << "the engine's file was never seen";
  longest = std::max(longest, clock.elapsed() - last);
  std::cout << "Longest stretch without a processed event while " << (kBytes >> 20) << " MB were put in place at "
            << kSlowDiskBytesPerSecond / 1e6 << " MB/s (" << clock.elapsed() << " ms in all): " << longest << " ms"
            << std::endl;
  RecordProperty("LongestStretchWithoutEventsMs", static_cast<int>(longest));
  EXPECT_LT(longest, 250);
  EXPECT_EQ(OutputFiles(), std::vector<std::string>{"clip.mp3"});
  EXPECT_EQ(fs::file_size(Output() + "clip.mp3"), static_cast<std::uintmax_t>(kBytes));
  EXPECT_FALSE(fs::exists(batch::TemporaryOutputFile("mp3")));
}

TEST_F(SlowDiskBatch, CancelWhileAFileIsPutInPlaceLeavesNoPartOfItAndListsItAgain) {
  List(Source(test_clip("clip.avi"), "clip.avi"));
  Press(Form1->sSpeedButton4);
  // The copy has begun beside its target.
  ASSERT_TRUE(ProcessEventsUntil(
      [&] {
        if (!fs::exists(Output())) return false;
        for (const auto& entry : fs::directory_iterator(Output()))
          if (entry.path().filename().string().rfind(".moving-", 0) == 0) return true;
        return false;
      },
      20000));
  QElapsedTimer clock;
  clock.start();
  Press(Form3->sButton1);
  EXPECT_EQ(FinishBatch(3000),
            "The batch was cancelled. 0 of 1 file was converted.\r\nThe file not converted is listed again.");
  EXPECT_LT(clock.elapsed(), 1000) << "the copy did not stop";
  EXPECT_TRUE(OutputFiles().empty()) << "a part of the file was left";
  EXPECT_FALSE(fs::exists(batch::TemporaryOutputFile("mp3")));
  ASSERT_EQ(Form1->sListView1->Items().Count(), 1);
  EXPECT_EQ(Form1->sListView1->Items().Item(0)->Caption(), "clip.avi");
}

TEST_F(BatchTest, AnEmptyRangeIsReportedWithoutStartingTheEngineForIt) {
  const std::string log = places.Root() + "/engine.log";
  ReplaceEngine("echo \"$@\" >> '" + log + "'; for a; do out=$a; done; echo audio > \"$out\"");
  List(Source(test_clip("clip.avi"), "first.avi"));
  List(Source(test_clip("clip.avi"), "empty.avi"), "00:00:03", "00:00:03");  // Begin at the end
  List(Source(test_clip("clip.avi"), "last.avi"));
  EXPECT_EQ(RunBatch(),
            "Done.\r\n\r\n1 of 3 files could not be converted:\r\nempty.avi: The marked range is empty: it ends where "
            "it begins.");
  EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"first.mp3", "last.mp3"}));
  const std::string commands = test_support::ReadFile(log);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), '\n'), 2) << commands;
  EXPECT_EQ(commands.find("empty"), std::string::npos) << commands;
}

TEST_F(BatchTest, AFileThatEndedEarlyCountsAsConvertedAndTheReportSaysWhereAndAFullTemporaryFolderIsNamed) {
  // The engine's words, as it ends a file cut short and as it meets a full disk.
  ReplaceEngine(
      "for a; do out=$a; done\n"
      "case \"$*\" in\n"
      "*cutshort*) printf 'size=   40kB time=4.5 bitrate=  72.0kbits/s    \\r'\n"
      "       echo 'Input ended early: audio until 00:00:04.80, declared 00:00:10.00'\n"
      "       echo 'size=   43kB time=4.8 bitrate=  72.0kbits/s    '; echo audio > \"$out\";;\n"
      "*diskfull*) echo \"Could not write to '$out' (No space left on device)\"; exit 1;;\n"
      "*) echo audio > \"$out\";;\n"
      "esac");
  List(Source(test_clip("clip.mp4"), "cutshort.mp4"), "00:00:00", "00:00:10");
  List(Source(test_clip("clip.avi"), "diskfull.avi"));
  List(Source(test_clip("clip.avi"), "whole.avi"));
  EXPECT_EQ(RunBatch(),
            "Done.\r\n\r\n1 of 3 files could not be converted:\r\ndiskfull.avi: The temporary folder " +
                batch::TemporaryFolder() +
                " is full, so the converted file had no room there. Free some space in it and convert the "
                "file again.\r\n\r\n1 file ended early; what it holds was converted:\r\ncutshort.mp4: its audio "
                "ends at 00:00:04.80, though it declares 00:00:10.00.");
  EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"cutshort.mp3", "whole.mp3"}));
}

TEST_F(BatchTest, StartRefusesAFolderThatCannotTakeFiles) {
  List(Source(test_clip("clip.avi"), "clip.avi"));
  std::unique_ptr<FatMount> readOnly;
  std::string folder = Output() + "locked";
  if (geteuid() == 0) {  // rights do not hold the superuser back; a read-only disk does
    readOnly = std::make_unique<FatMount>(false);
    if (!readOnly->Missing().empty()) GTEST_SKIP() << "running as root, " << readOnly->Missing();
    folder = readOnly->Path();
  } else {
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  }
  Form1->sDirectoryEdit1->SetText(folder);
  Press(Form1->sSpeedButton4);
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "The output folder \"" + folder +
                                           "/\" cannot take new files.\r\nAccess is denied.\r\nChoose another output "
                                           "folder.");
  EXPECT_FALSE(Converting);
  EXPECT_TRUE(Converter->CommandLine.empty()) << "the engine was started";
  EXPECT_EQ(Form1->sListView1->Items().Count(), 1);
  EXPECT_TRUE(fs::is_empty(folder));
}

}  // namespace
}  // namespace batch_test
