#include "framework/dialogs.h"

#include <cstdio>

namespace {

// Until the application installs its own, messages go to the standard error stream and every
// question is answered as if cancelled.
class ConsoleDialogService final : public DialogService {
 public:
  int MessageBox(const AnsiString& text, const AnsiString& caption, UINT) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return IDOK;
  }
  bool OpenFiles(const OpenDialogRequest&, std::vector<AnsiString>&) override { return false; }
  bool SelectDirectory(const AnsiString&, const AnsiString&, AnsiString&) override { return false; }
};

std::unique_ptr<DialogService>& CurrentService() {
  static std::unique_ptr<DialogService> service = [] {
    // The system's message boxes are this service's too.
    win32::SetMessageBoxHandler([](HWND, const char* text, const char* caption, UINT type) {
      return Dialogs().MessageBox(text, caption, type);
    });
    return std::make_unique<ConsoleDialogService>();
  }();
  return service;
}

}  // namespace

DialogService& Dialogs() { return *CurrentService(); }

std::unique_ptr<DialogService> SetDialogService(std::unique_ptr<DialogService> service) {
  CurrentService();
  std::unique_ptr<DialogService> previous = std::move(CurrentService());
  CurrentService() = service ? std::move(service) : std::make_unique<ConsoleDialogService>();
  return previous;
}

void ShowMessage(const AnsiString& text) { Dialogs().MessageBox(text, "Sonvarra 1.0", MB_OK); }
