// A started program for batch tests: a private output folder, sources listed as Add leaves
// them, stored audio settings, and a batch run to its end.
#pragma once

#include <QAbstractButton>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/batch_state.h"
#include "app/file_items.h"
#include "app/time_codes.h"
#include "tests/windows/program.h"

namespace batch_test {

namespace fs = std::filesystem;

inline void Press(TControl* control) { static_cast<QAbstractButton*>(control->Widget())->click(); }

inline void ResetBatchState() {
  Converting = false;
  CancelRequested = false;
  CurrentDuration = 0;
  CurrentRun = {};
  BatchFailures.clear();
  BatchEarlyEnds.clear();
  FileItems.clear();
}

// A row with the range begin - end and its length, and the matching entry.
inline void List(const std::string& path, const std::string& begin, const std::string& end) {
  const int length = Tmpegconverter::TimeToSeconds(end) - Tmpegconverter::TimeToSeconds(begin);
  FileItems.push_back({path, 0, Tmpegconverter::TimeToSeconds(end)});
  TListItem* row = Form1->sListView1->Items().Add();
  row->SetCaption(ExtractFileName(path));
  row->AddSubItem(begin + " - " + end);
  row->AddSubItem(SecondsToTime(false, length));
}
// As Add lists a clip of three seconds: one second longer.
inline void List(const std::string& path) { List(path, "00:00:00", "00:00:04"); }

class BatchTest : public test_support::ProgramTest {
 protected:
  void SetUp() override {
    ResetBatchState();
    Start();
    Form1->Show();  // as the message loop would
    fs::create_directories(Sources());
    Form1->sDirectoryEdit1->SetText(Output());
  }
  void TearDown() override {
    if (Converter) Converter->Terminate();  // a test that failed mid-batch
    ResetBatchState();
    // A form that is still the active window when it is destroyed gets a focus change in the
    // middle of its destruction; hidden first, as the program's own shutdown does, it gets none.
    Form3->Hide();
    Form1->Hide();
    ProgramTest::TearDown();
  }

  std::string Sources() const { return places.Root() + "/sources/"; }
  std::string Output() const { return places.HomeDir() + "/out/"; }

  // A copy of a generated clip under a name of the test's choosing.
  std::string Source(const std::string& clip, const std::string& name) const {
    const fs::path path = fs::path(Sources()) / name;
    fs::create_directories(path.parent_path());
    fs::copy_file(clip, path, fs::copy_options::overwrite_existing);
    return path.string();
  }

  void StoreSettings(int bitRate, int sampleRate, int channels) const {
    test_support::WriteFile(places.SettingsFile(), "[SETTINGS]\r\nPARAM_1=" + std::to_string(bitRate) +
                                                       "\r\nPARAM_2=" + std::to_string(sampleRate) +
                                                       "\r\nPARAM_3=" + std::to_string(channels) + "\r\n");
  }

  // Waits for the batch that Start began to end; the text of its closing message.
  std::string FinishBatch(int milliseconds = 60000) {
    EXPECT_TRUE(test_support::ProcessEventsUntil([] { return !Converting; }, milliseconds));
    return dialogs->messages.empty() ? std::string() : dialogs->messages.back().text;
  }
  std::string RunBatch() {
    Press(Form1->sSpeedButton4);
    return FinishBatch();
  }

  // Names in the output folder, sorted.
  std::vector<std::string> OutputFiles() const {
    std::vector<std::string> names;
    if (fs::exists(Output())) {
      for (const auto& entry : fs::directory_iterator(Output())) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

}  // namespace batch_test
