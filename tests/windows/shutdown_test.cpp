// Ending the program while something else is going on: a batch whose settings cannot be saved,
// and termination requests while a modal window waits for the user.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/batch_state.h"
#include "app/file_items.h"
#include "framework/dialogs.h"
#include "tests/platform/process_helpers.h"
#include "tests/windows/program.h"

namespace {

namespace fs = std::filesystem;
using test_support::Press;
using test_support::ProcessEventsUntil;
using test_support::ProgramTest;

std::vector<DWORD> PidsIn(const std::string& file) {
  std::ifstream in(file);
  std::vector<DWORD> pids;
  for (DWORD pid = 0; in >> pid;) pids.push_back(pid);
  return pids;
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
};

TEST_F(ShutdownTest, EndingABatchWhoseSettingsCannotBeSavedStartsNoFurtherEngine) {
  const std::string started = places.Root() + "/engines";
  test_support::ReplaceEngine("echo $$ >> '" + started + "'; exec sleep 30");
  for (const char* name : {"a.avi", "b.avi", "c.avi"}) ListSmallFile(name);
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
  const std::vector<DWORD> engines = PidsIn(started);
  ASSERT_EQ(engines.size(), 1u) << "the error box started the next file";
  EXPECT_FALSE(IsAlive(engines[0]));
}

// Real message boxes and file dialogs, which wait for the user in loops of their own; Add's
// dialog can be answered with files instead, and the boxes shown are counted.
class RealDialogs final : public DialogService {
 public:
  int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) override {
    boxes.push_back(text);
    return real_->MessageBox(text, caption, flags);
  }
  bool OpenFiles(const OpenDialogRequest& request, std::vector<AnsiString>& files) override {
    if (chosen.empty()) return real_->OpenFiles(request, files);
    files = chosen;
    return true;
  }
  bool SelectDirectory(const AnsiString& caption, const AnsiString& root, AnsiString& directory) override {
    return real_->SelectDirectory(caption, root, directory);
  }
  std::vector<AnsiString> boxes;
  std::vector<AnsiString> chosen;

 private:
  std::unique_ptr<DialogService> real_ = MakeQtDialogService();
};

// Asks the program to end once the modal window is up; the time from the request until the
// window's loop gave control back, in milliseconds.
qint64 TerminateWhileModal(const std::function<void()>& opensModalWindow) {
  QElapsedTimer sinceRequest;
  QTimer request;
  request.setSingleShot(true);
  QObject::connect(&request, &QTimer::timeout, [&] {
    EXPECT_NE(QApplication::activeModalWidget(), nullptr) << "no modal window is open";
    sinceRequest.start();
    kill(getpid(), SIGTERM);
  });
  request.start(500);
  QTimer closer;  // should the request be ignored, the test fails instead of waiting for good
  QObject::connect(&closer, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  closer.start(2000);
  opensModalWindow();
  return sinceRequest.isValid() ? sinceRequest.elapsed() : -1;
}

TEST_F(ShutdownTest, ATerminationRequestEndsTheProgramInOrderWhileAModalWindowWaits) {
  auto owned = std::make_unique<RealDialogs>();
  RealDialogs* real = owned.get();
  std::unique_ptr<DialogService> scripted = SetDialogService(std::move(owned));
  const std::string folder = places.HomeDir() + "/chosen/";
  struct Case {
    const char* what;
    std::function<void()> open;
  };
  const Case cases[] = {
      {"the Add dialog", [] { Press(Form1->sSpeedButton1); }},
      {"the Done box", [] { Press(Form1->sSpeedButton4); }},  // an empty list ends at once
      {"a failure box with more files to add",
       [&] {
         test_support::ReplaceEngine("exit 1");  // reports no length: each file fails
         for (const char* name : {"/a.avi", "/b.avi"}) {
           real->chosen.push_back(places.HomeDir() + name);
           test_support::WriteFile(places.HomeDir() + name, "x");
         }
         Press(Form1->sSpeedButton1);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    real->boxes.clear();
    Form1->sDirectoryEdit1->SetText(folder);
    const qint64 elapsed = TerminateWhileModal(c.open);
    EXPECT_GE(elapsed, 0) << "the window was gone before the request";
    EXPECT_LT(elapsed, 1000);
    ASSERT_TRUE(ProcessEventsUntil([this] { return application->Terminated(); }, 1000));
    EXPECT_LE(real->boxes.size(), 1u) << "a box came after the request";
    Stop();
    EXPECT_EQ(ReadOutputFolder(), folder) << "the program did not end in order";
    fs::remove(places.SettingsFile());
    real->chosen.clear();
    Start();
    Form1->Show();
  }
  SetDialogService(std::move(scripted));
}

}  // namespace
