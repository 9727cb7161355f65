// Message boxes and file dialogs go through one replaceable service: the program installs one that
// shows real dialogs, tests install one that answers without a person.
#pragma once

#include <memory>
#include <vector>

#include "framework/sysutils.h"
#include "platform/win32/user32.h"

struct OpenDialogRequest {
  AnsiString title;
  AnsiString filter;  // "description|patterns|description|patterns..."
  int filterIndex = 1;
  AnsiString initialDir;
  bool multiSelect = false;
  bool hideReadOnly = false;  // no read-only check box
  bool resizable = false;
  AnsiString defaultExt;
};

class DialogService {
 public:
  virtual ~DialogService() = default;
  // Returns IDOK, IDCANCEL, IDYES or IDNO.
  virtual int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) = 0;
  // False when the user cancelled; otherwise files holds the chosen paths in the dialog's order.
  virtual bool OpenFiles(const OpenDialogRequest& request, std::vector<AnsiString>& files) = 0;
  // directory holds the folder to start in; false when the user cancelled, otherwise it holds the
  // chosen folder. An empty root means the desktop.
  virtual bool SelectDirectory(const AnsiString& caption, const AnsiString& root, AnsiString& directory) = 0;
};

DialogService& Dialogs();
// Installs a service and returns the one it replaces.
std::unique_ptr<DialogService> SetDialogService(std::unique_ptr<DialogService> service);

// The dialogs shown to the user with Qt; the program installs it at start-up.
std::unique_ptr<DialogService> MakeQtDialogService();

// A plain message box with the application's title and an OK button.
void ShowMessage(const AnsiString& text);
