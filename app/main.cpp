// Sonvarra: start-up and shutdown of the program.
#include <cstdlib>
#include <vector>

#include "app/main_window.h"
#include "app/progress_dialog.h"
#include "app/screenshots.h"
#include "app/system_components.h"
#include "framework/dialogs.h"
#include "framework/forms.h"
#include "settings/settings_dialog.h"

int main(int argc, char* argv[]) {
  TApplication application(argc, argv);
  try {
    Application->Initialize();
    // The system components the preview plays through, as an installed system has them.
    RegisterSystemComponents();
    SetDialogService(MakeQtDialogService());
    Application->SetTitle("Sonvarra 1.0");
    Application->CreateForm(Form1);  // its FormCreate runs before the dialogs exist
    Application->CreateForm(Form2);
    Application->CreateForm(Form3);
    // What is left once Qt has taken its own options: the files to open ("Open with").
    Form1->AddFilesWhenShown(std::vector<AnsiString>(argv + 1, argv + argc));
    if (const char* folder = std::getenv("SONVARRA_SCREENSHOT_DIR")) ScheduleScreenshots(folder);
    Application->Run();
  } catch (const std::exception& error) {
    // a window that cannot be built (its layout is broken) stops the program here
    Application->ShowException(error);
    return 1;
  }
  return 0;
}
