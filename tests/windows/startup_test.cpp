// Start-up and shutdown: the windows in order, the engine's work folder, the output folder kept in
// "settings.ini", and the buttons of the shell.
#include <QAbstractButton>
#include <QEventLoop>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/engine_deployment.h"
#include "app/file_items.h"
#include "framework/classes.h"
#include "framework/dialogs.h"
#include "platform/win32/places.h"
#include "platform/win32/profile.h"
#include "tests/platform/process_helpers.h"
#include "tests/windows/program.h"

namespace {

namespace fs = std::filesystem;
using test_support::Press;
using test_support::ProgramTest;

std::string ResourceOne() {
  TResourceStream stream(MainInstance(), 1, RT_RCDATA);
  std::string bytes(static_cast<std::size_t>(stream.Size()), '\0');
  stream.ReadBuffer(bytes.data(), static_cast<long>(bytes.size()));
  return bytes;
}

TEST_F(ProgramTest, ExitSavesTheOutputFolderAndTheNextStartRestoresIt) {
  Start();
  EXPECT_FALSE(fs::exists(places.SettingsFile()));  // reading never creates it
  EXPECT_EQ(Form1->sDirectoryEdit1->Text(), DefaultOutputFolder());
  const std::string chosen = places.TempDir();
  dialogs->directoryAnswers.push_back(chosen);
  ASSERT_TRUE(Form1->sDirectoryEdit1->ChooseFolder());

  QTimer::singleShot(0, [] { Press(Form1->sSpeedButton7); });
  application->Run();  // ends when Exit closes the main window
  EXPECT_TRUE(application->Terminated());
  EXPECT_FALSE(Form1->Widget()->isVisible());
  Stop();  // the windows go: FormDestroy writes the folder
  EXPECT_EQ(Form1, nullptr);
  char value[300] = {};
  GetPrivateProfileStringA("SETTINGS", "PARAM_4", "", value, sizeof value, places.SettingsFile().c_str());
  EXPECT_EQ(std::string(value), chosen);
  EXPECT_EQ(Converter, nullptr);

  Start();
  EXPECT_EQ(Form1->sDirectoryEdit1->Text(), chosen);
  EXPECT_NE(Converter, nullptr);
}

TEST_F(ProgramTest, FormCreateDeploysTheEngineWhenItIsMissingOrAnotherOne) {
  const fs::path engine = fs::path(WorkFolder()) / "nnn.exe";
  ASSERT_FALSE(fs::exists(WorkFolder()));
  Start();
  ASSERT_TRUE(fs::exists(engine));
  EXPECT_EQ(test_support::ReadFile(engine), ResourceOne());
  EXPECT_EQ(EnginePath.back(), PathDelim);
  EXPECT_EQ(EnginePath.find(' '), AnsiString::npos);
  Stop();

  fs::remove(engine);
  Start();
  EXPECT_EQ(test_support::ReadFile(engine), ResourceOne()) << "an engine gone from the work folder stays gone";
}

TEST_F(ProgramTest, AFailingDeploymentIsShownAndTheProgramGoesOnWithTheDesignTimeFolder) {
  // a Windows directory below a plain file cannot hold the work folder
  test_support::WriteFile(places.Root() + "/blocker", "x");
  places.Environment().Set("SONVARRA_WINDOWS_DIR", places.Root() + "/blocker/windows");
  test_support::WriteFile(places.SettingsFile(), "[SETTINGS]\nPARAM_4=/kept/elsewhere\n");
  Start();
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text.rfind("Cannot create file \"", 0), 0u) << dialogs->messages[0].text;
  EXPECT_EQ(dialogs->messages[0].caption, "Sonvarra 1.0");
  EXPECT_EQ(Form1->sDirectoryEdit1->Text(), win32::DefaultRoot());  // the rest of FormCreate was skipped
  ASSERT_NE(Form2, nullptr);
  ASSERT_NE(Form3, nullptr);
  EXPECT_EQ(application->MainForm(), Form1);
}

// Message boxes as a person meets them: each runs the message loop until it is answered (here
// after a while), and each is written down where a death test's parent can read it.
class ModalBoxes final : public DialogService {
 public:
  explicit ModalBoxes(std::string log) : log_(std::move(log)) {}
  int MessageBox(const AnsiString& text, const AnsiString&, UINT) override {
    std::ofstream(log_, std::ios::app) << text << "\n";
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    return IDOK;
  }
  bool OpenFiles(const OpenDialogRequest&, std::vector<AnsiString>&) override { return false; }
  bool SelectDirectory(const AnsiString&, const AnsiString&, AnsiString&) override { return false; }

 private:
  std::string log_;
};

TEST_F(ProgramTest, AnEngineThatCannotStartIsShownOnceAndEndsTheProgramInOrderSoTheFolderIsSaved) {
  // The death test's child runs this test again from the start, with folders of its own; it keeps
  // its settings file and its boxes where this one looks.
  const char* shared = std::getenv("SONVARRA_TEST_SETTINGS_DIR");
  const std::string programDir = shared ? shared : places.ProgramDir();
  places.Environment().Set("SONVARRA_TEST_SETTINGS_DIR", programDir);
  places.Environment().Set("SONVARRA_MODULE_PATH", programDir + "/sonvarra");
  const std::string boxes = programDir + "/boxes.txt";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Start();
  Form1->Show();
  const std::string folder = programDir + "/chosen/";
  Form1->sDirectoryEdit1->SetText(folder);
  for (const char* name : {"a.avi", "b.avi", "c.avi"}) ListSmallFile(name);
  fs::remove(fs::path(WorkFolder()) / "nnn.exe");

  EXPECT_EXIT(
      {
        SetDialogService(std::make_unique<ModalBoxes>(boxes));
        Press(Form1->sSpeedButton4);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EQ(test_support::ReadFile(boxes), "CreateProcess error!\n") << "one box, then the end";
  char value[300] = {};
  GetPrivateProfileStringA("SETTINGS", "PARAM_4", "", value, sizeof value, (programDir + "/settings.ini").c_str());
  EXPECT_EQ(std::string(value), folder) << "the windows were not destroyed on the way out";
  FileItems.clear();
}

TEST_F(ProgramTest, TheNextStartStopsWhatADeadCopyLeftWritingBeforeItRemovesItsFiles) {
  DWORD dead = 0;
  {
    PipedChild copy(StubCommand("exit 0"));  // a copy of the program that has ended
    ASSERT_TRUE(copy.started);
    ASSERT_EQ(copy.WaitForExit(), WAIT_OBJECT_0);
    dead = copy.info.dwProcessId;
  }
  // Its engine, started before engines ended with the program, still writes its file.
  const std::string file = win32::TemporaryRoot() + "wyl-" + std::to_string(dead) + ".mp3";
  const HANDLE output =
      CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(output, INVALID_HANDLE_VALUE);
  STARTUPINFOA startup{};
  GetStartupInfoA(&startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  std::string line = StubCommand("forever");
  PROCESS_INFORMATION engine{};
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, -1, 0, nullptr, nullptr, &startup, &engine));
  CloseHandle(output);

  Start();
  EXPECT_EQ(WaitForSingleObject(engine.hProcess, 2000), WAIT_OBJECT_0) << "the engine writes on";
  EXPECT_FALSE(fs::exists(file));
  TerminateProcess(engine.hProcess, 0);
  CloseHandle(engine.hThread);
  CloseHandle(engine.hProcess);
}

TEST_F(ProgramTest, SettingsShowsTheSettingsDialogModallyAndItsButtonsCloseIt) {
  Start();
  Form1->Show();
  for (TsButton* (*which)() : {+[] { return Form2->sButton1; }, +[] { return Form2->sButton2; }}) {
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
      wasModal = Form2->Modal() && Form2->Widget()->isVisible();
      Press(which());
    });
    Press(Form1->sSpeedButton5);  // returns once the dialog has closed
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(Form2->Visible());
    EXPECT_FALSE(Form2->Widget()->isVisible());
  }
  EXPECT_TRUE(Form1->Visible());
  EXPECT_FALSE(application->Terminated());
}

TEST_F(ProgramTest, TheWindowsAreCreatedInOrderAndOnlyTheMainOneIsShownByRun) {
  Start();
  EXPECT_EQ(application->MainForm(), Form1);
  ASSERT_EQ(application->ComponentCount(), 3);
  EXPECT_EQ(application->Components(0), Form1);
  EXPECT_EQ(application->Components(1), Form2);
  EXPECT_EQ(application->Components(2), Form3);
  QTimer::singleShot(0, [this] {
    EXPECT_TRUE(Form1->Widget()->isVisible());
    EXPECT_FALSE(Form2->Visible());
    EXPECT_FALSE(Form3->Visible());
    Form1->Widget()->close();  // the close box
  });
  application->Run();
  EXPECT_TRUE(application->Terminated());
}

}  // namespace
