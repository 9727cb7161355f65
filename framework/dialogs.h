// Message boxes and file dialogs go through one replaceable service: the program installs one that
// shows real dialogs, tests install one that answers without a person.
#pragma once

#include <memory>
#include <vector>

#include "framework/sysutils.h"
#include "platform/win32/wintypes.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

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

// A plain message box with the application's title and an OK button.
void ShowMessage(const AnsiString& text);
