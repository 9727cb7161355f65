// Ending the program while something else is going on: a batch whose settings cannot be saved,
// and termination requests while a modal window waits for the user.
#include <QAbstractButton>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/batch_state.h"
#include "app/file_items.h"
#include "tests/windows/program.h"

namespace {

namespace fs = std::filesystem;
using test_support::ProcessEventsUntil;
using test_support::ProgramTest;

void Press(TControl* button) { static_cast<QAbstractButton*>(button->Widget())->click(); }

std::vector<pid_t> PidsIn(const std::string& file) {
  std::ifstream in(file);
  std::vector<pid_t> pids;
  for (pid_t pid = 0; in >> pid;) pids.push_back(pid);
  return pids;
}

bool IsAlive(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  std::getline(stat, text);
  const std::size_t close = text.rfind(')');
  return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

class ShutdownTest : public ProgramTest {
 protected:
  void SetUp() override {
    Start();
    Form1->Show();
  }
  void TearDown() override {
    FileItems.clear();
    Converting = false;
    CancelRequested = false;
    ProgramTest::TearDown();
  }
  void ListRows(int count) {
    for (int i = 0; i < count; ++i) {
      const std::string name = "clip" + std::to_string(i) + ".avi";
      const std::string source = places.HomeDir() + "/" + name;
      test_support::WriteFile(source, "x");
      FileItems.push_back({source, 0, 4});
      TListItem* row = Form1->sListView1->Items().Add();
      row->SetCaption(name);
      row->AddSubItem("00:00:00 - 00:00:04");
      row->AddSubItem("00:00:04");
    }
  }
};

TEST_F(ShutdownTest, EndingABatchWhoseSettingsCannotBeSavedStartsNoFurtherEngine) {
  const std::string started = places.Root() + "/engines";
  test_support::ReplaceEngine("echo $$ >> '" + started + "'; exec sleep 30");
  ListRows(3);
  Form1->sDirectoryEdit1->SetText(places.HomeDir() + "/out/");
  fs::create_directories(places.SettingsFile());  // a folder in the file's place refuses every write
  dialogs->messageMs = 500;
  Press(Form1->sSpeedButton4);
  ASSERT_TRUE(ProcessEventsUntil([&] { return PidsIn(started).size() == 1; }));
  Form1->Close();
  ASSERT_TRUE(ProcessEventsUntil([this] { return application->Terminated(); }));
  Stop();
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "Unable to write to " + places.SettingsFile());
  const std::vector<pid_t> engines = PidsIn(started);
  ASSERT_EQ(engines.size(), 1u) << "the error box started the next file";
  EXPECT_FALSE(IsAlive(engines[0]));
}

}  // namespace
