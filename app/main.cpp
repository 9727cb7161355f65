// Sonvarra: start-up and shutdown of the program.
#include <cstdlib>
#include <iostream>

#include "app/command_line_options.h"
#include "app/main_window.h"
#include "app/progress_dialog.h"
#include "app/screenshots.h"
#include "app/system_components.h"
#include "framework/dialogs.h"
#include "framework/forms.h"
#include "settings/settings_dialog.h"

int main(int argc, char* argv[]) {
  TCommandLine commandLine = ReadCommandLine(argc, argv, std::cout, std::cerr);
  if (commandLine.exitCode) return *commandLine.exitCode;
  TApplication application(commandLine.toolkitArgumentCount, commandLine.toolkitArguments.data());
  try {
    Application->Initialize();
    // The system components the preview plays through, as an installed system has them.
    RegisterSystemComponents();
    SetDialogService(MakeQtDialogService());
    Application->SetTitle("Sonvarra 1.0");
    Application->CreateForm(Form1);  // its FormCreate runs before the dialogs exist
    Application->CreateForm(Form2);
    Application->CreateForm(Form3);
    Form1->AddFilesWhenShown(commandLine.files);  // as the desktop's "Open with" passes them
    if (const char* folder = std::getenv("SONVARRA_SCREENSHOT_DIR")) ScheduleScreenshots(folder);
    Application->Run();
  } catch (const std::exception& error) {
    // a window that cannot be built (its layout is broken) stops the program here
    Application->ShowException(error);
    return 1;
  }
  return 0;
}
