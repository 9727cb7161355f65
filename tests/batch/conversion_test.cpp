// Whole batches with the real engine on generated clips: formats and settings, ranges, output
// names and the output folder.
#include <unistd.h>

#include "app/conversion_command.h"
#include "app/engine_deployment.h"
#include "batch/temporary_output.h"
#include "tests/batch/batch_program.h"
#include "tests/enginebin/media_inspection.h"
#include "tests/enginebin/test_media.h"

namespace batch_test {
namespace {

using enginebin_test::inspect_audio;
using enginebin_test::test_clip;

struct FormatCase {
  int item;  // of the main window's format list
  std::string ext, codec;
  int bitRateIndex, sampleRateIndex, channelsIndex;
  std::string bitRate;
  int sampleRate, channels;
  double tolerance;  // seconds; AC-3 pads its last frame
};

void PrintTo(const FormatCase& format, std::ostream* out) { *out << format.ext; }

class BatchFormat : public BatchTest, public testing::WithParamInterface<FormatCase> {};

TEST_P(BatchFormat, ConvertsEveryRowWithTheStoredSettingsAndItsRange) {
  const FormatCase& format = GetParam();
  StoreSettings(format.bitRateIndex, format.sampleRateIndex, format.channelsIndex);
  Form1->sComboBox1->SetItemIndex(format.item);
  const std::string cut = Source(test_clip("clip.avi"), "cut.avi");
  const std::string second = Source(test_clip("clip.mp4"), "second.mp4");
  List(Source(test_clip("clip.avi"), "first.avi"));
  List(second);
  List(cut, "00:00:01", "00:00:03");
  // A whole file's output lasts as long as the source's own audio.
  const double whole[] = {inspect_audio(cut)->seconds(), inspect_audio(second)->seconds()};

  EXPECT_EQ(RunBatch(), "Done.");
  const std::vector<std::string> expected = {"cut." + format.ext, "first." + format.ext, "second." + format.ext};
  ASSERT_EQ(OutputFiles(), expected);
  for (const auto& [name, seconds] : {std::pair{"first.", whole[0]}, {"second.", whole[1]}, {"cut.", 2.0}}) {
    SCOPED_TRACE(name);
    const auto facts = inspect_audio(Output() + name + format.ext);
    ASSERT_TRUE(facts.has_value());
    EXPECT_EQ(facts->codec, format.codec);
    EXPECT_EQ(facts->sample_rate, format.sampleRate);
    EXPECT_EQ(facts->channels, format.channels);
    EXPECT_NEAR(facts->seconds(), seconds, format.tolerance);
  }
  // The last file's command, piece by piece (two blanks after 256).
  EXPECT_EQ(Converter->CommandLine, EnginePath + "nnn.exe -y -i " + ShortPathName(cut) + " -bitexact -acodec " +
                                        format.ext + " -ac " + std::to_string(format.channels) + " -ar " +
                                        std::to_string(format.sampleRate) + " -vol 256  -ab " + format.bitRate +
                                        " -f " + format.ext + " -ss 00:00:01 -t 00:00:02 " +
                                        batch::TemporaryOutputFile(format.ext));
  EXPECT_FALSE(fs::exists(batch::TemporaryOutputFile(format.ext)));
  EXPECT_EQ(CurrentDuration, 2);
  EXPECT_TRUE(FileItems.empty());
  EXPECT_EQ(Form1->sListView1->Items().Count(), 0);
  EXPECT_TRUE(Form1->Visible());
  EXPECT_FALSE(Form3->Visible());
}

INSTANTIATE_TEST_SUITE_P(Formats, BatchFormat,
                         testing::Values(FormatCase{0, "mp3", "mp3", 6, 2, 0, "96", 32000, 1, 0.06},
                                         FormatCase{1, "ac3", "ac3", 10, 4, 1, "192", 48000, 2, 0.05},
                                         FormatCase{2, "wav", "pcm_s16le", 0, 1, 0, "32", 22050, 1, 0.001}),
                         [](const auto& info) { return info.param.ext; });

TEST_F(BatchTest, TakenNamesAreNeverOverwrittenNotEvenOneTakenDuringTheConversion) {
  fs::create_directories(Output());
  test_support::WriteFile(Output() + "clip.mp3", "mine");
  test_support::WriteFile(Output() + "[1]clip.mp3", "mine too");
  List(Source(test_clip("clip.avi"), "one/clip.avi"));
  List(Source(test_clip("clip.avi"), "two/clip.avi"));
  Press(Form1->sSpeedButton4);
  // The first file was given [2]clip.mp3; someone takes that name before its engine is done.
  ASSERT_EQ(CurrentTarget, Output() + "[2]clip.mp3");
  test_support::WriteFile(CurrentTarget, "meanwhile");

  EXPECT_EQ(FinishBatch(), "Done.");
  const std::vector<std::string> expected = {"[1]clip.mp3", "[2]clip.mp3", "[3]clip.mp3", "[4]clip.mp3", "clip.mp3"};
  EXPECT_EQ(OutputFiles(), expected);
  EXPECT_EQ(test_support::ReadFile(Output() + "clip.mp3"), "mine");
  EXPECT_EQ(test_support::ReadFile(Output() + "[1]clip.mp3"), "mine too");
  EXPECT_EQ(test_support::ReadFile(Output() + "[2]clip.mp3"), "meanwhile");
  for (const char* name : {"[3]clip.mp3", "[4]clip.mp3"}) {
    const auto facts = inspect_audio(Output() + name);
    ASSERT_TRUE(facts.has_value()) << name;
    EXPECT_NEAR(facts->seconds(), 3.0, 0.06) << name;
  }
}

TEST_F(BatchTest, StartMakesAMissingFolderAndHandEditedSettingsFallBackToTheDefaults) {
  const std::string folder = places.HomeDir() + "/new/deeper";
  Form1->sDirectoryEdit1->SetText(folder);
  test_support::WriteFile(places.SettingsFile(), "[SETTINGS]\r\nPARAM_1=99\r\nPARAM_2=-1\r\nPARAM_3=x\r\n");
  List(Source(test_clip("clip.mp4"), "clip.mp4"));
  EXPECT_EQ(RunBatch(), "Done.");
  EXPECT_EQ(Form1->sDirectoryEdit1->Text(), folder + PathDelim);
  const auto facts = inspect_audio(folder + "/clip.mp3");
  ASSERT_TRUE(facts.has_value());
  EXPECT_EQ(facts->sample_rate, 44100);
  EXPECT_EQ(facts->channels, 2);
  EXPECT_NE(Converter->CommandLine.find(" -ab 128 "), std::string::npos) << Converter->CommandLine;
}

TEST_F(BatchTest, AFolderLongerThanAnyoneWouldTypeIsUsedWholeAndKept) {
  const std::string folder = places.HomeDir() + "/" + std::string(150, 'f') + "/" + std::string(150, 'o');
  Form1->sDirectoryEdit1->SetText(folder);
  List(Source(test_clip("clip.avi"), "clip.avi"));
  EXPECT_EQ(RunBatch(), "Done.");
  EXPECT_TRUE(inspect_audio(folder + "/clip.mp3").has_value());
  EXPECT_EQ(Form1->sDirectoryEdit1->Text(), folder + "/");
  Stop();
  EXPECT_EQ(ReadOutputFolder(), folder + "/");
  Start();  // for TearDown
}

TEST_F(BatchTest, StartRefusesAFolderItCannotMakeOrNoFolderAtAllAndLeavesTheListAlone) {
  test_support::WriteFile(places.HomeDir() + "/file", "x");
  List(Source(test_clip("clip.avi"), "clip.avi"));
  const std::string relative = "sonvarra-relative-" + std::to_string(getpid());
  std::string absurd = places.HomeDir();
  while (absurd.size() < 1000000) absurd += "/a";
  struct Refusal {
    std::string folder, message;
  };
  for (const Refusal& refusal :
       {Refusal{places.HomeDir() + "/file/out/",
                "The output folder \"" + places.HomeDir() + "/file/out/\" cannot be created.\r\n" + "\"" +
                    places.HomeDir() + "/file\" is a file, not a folder.\r\nChoose another output folder."},
        Refusal{"", "Choose an output folder first."},
        Refusal{relative + "/out",
                "The output folder \"" + relative + "/out\" is not a full path.\r\nChoose another output folder."},
        Refusal{absurd, "The output folder \"" + absurd.substr(0, 200) +
                            "...\" is too long a name for the system.\r\nChoose another output folder."}}) {
    SCOPED_TRACE(refusal.folder);
    dialogs->messages.clear();
    Form1->sDirectoryEdit1->SetText(refusal.folder);
    Press(Form1->sSpeedButton4);
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_EQ(dialogs->messages[0].text, refusal.message);
    EXPECT_FALSE(Converting);
    EXPECT_FALSE(Form1->Timer2->Enabled());
    EXPECT_TRUE(Form1->Visible());
    EXPECT_FALSE(Form3->Visible());
    EXPECT_EQ(Form1->sListView1->Items().Count(), 1);
    EXPECT_EQ(FileItems.size(), 1u);
  }
  EXPECT_FALSE(fs::exists(relative)) << "a folder was made where the program happened to run";
  EXPECT_FALSE(fs::exists(places.HomeDir() + "/a"));
}

}  // namespace
}  // namespace batch_test
