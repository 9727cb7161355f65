// The progress tick with a stand-in engine that reports what a test tells it to, and the end of
// a batch.
#include "tests/batch/batch_program.h"

namespace batch_test {
namespace {

// A running engine that has printed its input report and then this progress text.
void RunEngineReporting(const std::string& progress) {
  Converter->Run(std::string(SONVARRA_STUB_PROGRAM) + " out \"  Duration: 00:01:00.0, start: 0.0\\n" + progress +
                 "\" forever");
}

// The second file of four is being converted: one finished, two rows still waiting.
void ConvertingTheSecondOfFour() {
  for (const char* name : {"/v/a.avi", "/v/b.avi", "/v/c.avi", "/v/d.avi"}) List(name, "00:00:00", "00:01:00");
  Form1->sListView1->Items().Delete(0);
  Form1->sListView1->Items().Delete(0);
  Converting = true;
  CurrentDuration = 60;
}

using ProgressTick = BatchTest;

TEST_F(ProgressTick, ShowsTheFileAndTheBatchShareOfTheElapsedTime) {
  ConvertingTheSecondOfFour();
  RunEngineReporting("size=      12kB time=30.0 bitrate=   3.3kbits/s    \\r");
  Form1->Timer2Timer(nullptr);
  EXPECT_EQ(Form3->sGauge1->Progress(), 50);
  EXPECT_EQ(Form3->sLabel2->Caption(), "50%");
  EXPECT_EQ(Form3->sGauge2->Progress(), 37);  // trunc(50 / 4 + 1 / 4 * 100)
  EXPECT_EQ(Form3->sLabel4->Caption(), "37%");
  EXPECT_FALSE(Converter->Finished);
  EXPECT_EQ(Form1->sListView1->Items().Count(), 2);  // nothing was taken yet

  // The next read ends between "time=" and the number's dot: the percentages stay.
  Converter->Output += "size=      14kB time=36";
  Form1->Timer2Timer(nullptr);
  EXPECT_EQ(Form3->sLabel2->Caption(), "50%");
  EXPECT_EQ(Form3->sLabel4->Caption(), "37%");
}

TEST_F(ProgressTick, LabelsGoBeyondAHundredWhileTheGaugesStayFull) {
  ConvertingTheSecondOfFour();
  Form1->sListView1->Items().Clear();  // the last of four files
  RunEngineReporting("size=      40kB time=75.3 bitrate=   3.3kbits/s    \\r");
  Form1->Timer2Timer(nullptr);
  EXPECT_EQ(Form3->sLabel2->Caption(), "125%");
  EXPECT_EQ(Form3->sGauge1->Progress(), 100);
  EXPECT_EQ(Form3->sLabel4->Caption(), "106%");  // trunc(125 / 4 + 3 / 4 * 100)
  EXPECT_EQ(Form3->sGauge2->Progress(), 100);
}

TEST_F(ProgressTick, AnEmptyListEndsTheBatchAtOnceWithDoneOverTheFullDialog) {
  // What the user sees while the closing message waits for them.
  struct Seen {
    bool dialogShown = false, mainShown = true;
    int fileGauge = 0, totalGauge = 0;
    AnsiString fileLabel, totalLabel;
  } seen;
  struct Watching final : DialogService {
    Seen& seen;
    explicit Watching(Seen& s) : seen(s) {}
    int MessageBox(const AnsiString&, const AnsiString&, UINT) override {
      seen = {Form3->Visible(),           Form1->Visible(),          Form3->sGauge1->Progress(),
              Form3->sGauge2->Progress(), Form3->sLabel2->Caption(), Form3->sLabel4->Caption()};
      return IDOK;
    }
    bool OpenFiles(const OpenDialogRequest&, std::vector<AnsiString>&) override { return false; }
    bool SelectDirectory(const AnsiString&, const AnsiString&, AnsiString&) override { return false; }
  };
  auto previous = SetDialogService(std::make_unique<Watching>(seen));
  Press(Form1->sSpeedButton4);
  SetDialogService(std::move(previous));

  EXPECT_TRUE(seen.dialogShown);
  EXPECT_FALSE(seen.mainShown);
  EXPECT_EQ(seen.fileGauge, 100);
  EXPECT_EQ(seen.totalGauge, 100);
  EXPECT_EQ(seen.fileLabel, "100%");
  EXPECT_EQ(seen.totalLabel, "100%");
  EXPECT_FALSE(Converting);
  EXPECT_FALSE(Form1->Timer2->Enabled());
  EXPECT_FALSE(Form3->Visible());
  EXPECT_TRUE(Form1->Visible());
  EXPECT_EQ(Form1->sLabel4->Caption(), "Added 0 file(s).");
}

}  // namespace
}  // namespace batch_test
