#include <QApplication>
#include <QDialog>

#include "framework/dialogs.h"
#include "framework/exception_report.h"
#include "framework/forms.h"
#include "platform/win32/kernel32.h"

TApplication* Application = nullptr;

namespace {
constexpr const char* kApplicationWindowClass = "TApplication";
}

TApplication::TApplication(int& argc, char** argv) : TComponent(nullptr) {
  if (!QCoreApplication::instance()) ownApplication_ = std::make_unique<QApplication>(argc, argv);
  Application = this;
  SetExceptionReporter([this](TObject* sender, std::exception_ptr error) { Report(sender, error); });
  SetHaltProcedure([this] { HaltShutdown(); });
}

TApplication::TApplication() : TComponent(nullptr) {
  if (!QCoreApplication::instance()) throw EInvalidOperation("The Qt application must exist first");
  Application = this;
  SetExceptionReporter([this](TObject* sender, std::exception_ptr error) { Report(sender, error); });
  SetHaltProcedure([this] { HaltShutdown(); });
}

TApplication::~TApplication() {
  SetHaltProcedure(nullptr);
  DestroyComponents();  // the forms go while the application is whole
  if (handle_) DestroyWindow(handle_);
  // Widgets of destroyed windows wait for deletion in the event queue.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  SetExceptionReporter(nullptr);
  if (Application == this) Application = nullptr;
}

void TApplication::BeforeDestruction() {}

// Halt ends the process from wherever it is called, so the windows go now, as at the end of Run:
// hidden first, then destroyed with their OnDestroy.
void TApplication::HaltShutdown() {
  Terminate();
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* form = dynamic_cast<TForm*>(Components(i))) form->Hide();
  DestroyComponents();
  if (handle_) DestroyWindow(handle_);
  handle_ = nullptr;
}

void TApplication::Initialize() {
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) app->setQuitOnLastWindowClosed(false);
}

void TApplication::SetTitle(const AnsiString& title) {
  title_ = title;
  if (handle_) SetWindowTextA(handle_, title.c_str());
}

HWND TApplication::Handle() {
  if (!handle_) {
    WNDCLASSA windowClass{};
    if (!GetClassInfoA(nullptr, kApplicationWindowClass, &windowClass)) {
      windowClass.lpfnWndProc = DefWindowProcA;
      windowClass.lpszClassName = kApplicationWindowClass;
      RegisterClassA(&windowClass);
    }
    handle_ = CreateWindowExA(0, kApplicationWindowClass, title_.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              nullptr, nullptr);
  }
  return handle_;
}

AnsiString TApplication::ExeName() const {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  return AnsiString(buffer, length);
}

void TApplication::Run() {
  if (mainForm_ && !mainForm_->Visible()) Guarded(mainForm_, [this] { mainForm_->Show(); });
  while (!terminated_) {
    QEventLoop loop;
    runLoop_ = &loop;
    loop.exec();
  }
  runLoop_ = nullptr;
}

void TApplication::Terminate() {
  terminated_ = true;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* form = dynamic_cast<TForm*>(Components(i)); form && form->Modal()) form->SetModalResult(mrCancel);
  // Message boxes and file dialogs run loops of their own, which would hold the program up.
  for (QWidget* window : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible()) dialog->reject();
  if (runLoop_) runLoop_->quit();
}

void TApplication::EndSession() {
  endingSession_ = true;
  if (mainForm_) Guarded(mainForm_, [this] { mainForm_->Close(); });
  Terminate();  // also should the main form have refused
}

void TApplication::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

int TApplication::MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) {
  return Dialogs().MessageBox(text, caption, flags);
}

void TApplication::ShowException(const std::exception& error) {
  AnsiString title = title_;
  if (title.empty()) {
    title = ExtractFileName(ExeName());
    const auto dot = title.rfind('.');
    if (dot != AnsiString::npos) title.erase(dot);
  }
  Dialogs().MessageBox(error.what(), title, MB_OK | MB_ICONERROR);
}

void TApplication::HandleException(TObject* sender) {
  if (std::exception_ptr error = std::current_exception()) Report(sender, error);
}

void TApplication::Report(TObject* sender, std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    if (OnException)
      OnException(sender, e);
    else
      ShowException(e);
  } catch (...) {
    ShowException(Exception("Unknown exception"));
  }
}
