// TForm: the program's top-level windows; TApplication: the application object with its message
// loop, standard error box and message boxes.
#pragma once

#include <QEventLoop>
#include <QPointer>
#include <exception>
#include <memory>
#include <vector>

#include "framework/controls.h"
#include "framework/shortcuts.h"

class QApplication;
class QShortcut;

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter, poMainFormCenter };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
constexpr int biSystemMenu = 1;
constexpr int biMinimize = 2;
constexpr int biMaximize = 4;

constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

// A form's menu bar as OLE menu merging sees it: a hosted control's menus and the form's own share
// one menu bar while the control is UI-active.
class TMergeMenu {
 public:
  virtual ~TMergeMenu() = default;
  // Puts the form's own menus of groups 0, 2 and 4 (File, Container, Window) into the shared menu
  // and sets those groups' widths (the number of menus each put there).
  virtual void PopulateOle2Menu(HMENU sharedMenu, LONG widths[6]) = 0;
  // Shows the shared menu, or the form's own menu again for 0.
  virtual void SetOle2MenuHandle(HMENU menu) = 0;
  virtual HWND WindowHandle() = 0;
};

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  // Reads the window's stored layout (the resource named after the class in capitals), then runs
  // OnCreate; an exception from OnCreate goes to the standard error box.
  void AfterConstruction();
  void BeforeDestruction() override;

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  int BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(int icons);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  const TBitmap& Icon() const { return icon_; }
  void SetIcon(const QImage& icon);
  void SetIcon(const TBitmap& icon);

  // The form's size is its client area; the frame belongs to the window manager.
  void SetClientSize(int width, int height) override;
  bool Resizable() const;

  int ShowModal();
  void Close();
  bool CloseQuery();
  bool Modal() const { return modalLoop_ != nullptr; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result);
  TWinControl* ActiveControl() const;

  // Calls the handler (with the form as its sender) when the key is pressed while the form's window
  // is active, wherever the focus is in it, unless the focused control uses that key itself (a
  // track bar its arrows, a text field its cursor keys). A key held down calls it once, or again
  // with every repeat when repeats is set.
  void AddShortCut(TShortCut shortCut, TNotifyEvent handler, bool repeats = false);

  // The one hosted control of this form that is UI-active.
  TWinControl* UIActiveHostedControl() const { return uiActiveHostedControl_; }
  void SetUIActiveHostedControl(TWinControl* control) { uiActiveHostedControl_ = control; }
  // The framework makes no MDI forms.
  virtual bool IsMDIChild() const { return false; }
  // The menu bar that takes part in OLE menu merging; none unless one is given.
  TMergeMenu* Menu() const { return menu_; }
  void SetMenu(TMergeMenu* menu) { menu_ = menu; }

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;
  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  QWidget* CreateWidget(QWidget* parent) override;
  void InitializeWidget() override;
  void ApplyBounds() override;
  void ApplyVisible() override;
  virtual void DoShow();
  virtual void DoHide();
  virtual void WMClose(TMessage& message);
  // The session ends: the main form ends the application at once (TApplication::EndSession).
  virtual void WMEndSession(TMessage& message);

 private:
  void ApplyWindowFlags();
  void ApplyIcon();
  void ApplyShortCut(std::size_t index);
  void PlaceOnFirstShow();
  void FocusChanged(QWidget* previous, QWidget* current);
  // Tells the UI-active hosted control that the form became active or inactive.
  void ActiveChanged(bool active);
  friend class TFormActivationFilter;

  QMetaObject::Connection focusConnection_;  // dropped before the form is only a TWinControl
  TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
  int borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition position_ = TPosition::poDesigned;
  TBitmap icon_;
  bool placed_ = false;
  bool initializing_ = false;
  int modalResult_ = mrNone;
  QEventLoop* modalLoop_ = nullptr;
  TWinControl* uiActiveHostedControl_ = nullptr;
  TMergeMenu* menu_ = nullptr;
  std::unique_ptr<QObject> activationFilter_;
  struct TFormShortCut {
    TShortCut shortCut;
    TNotifyEvent handler;
    bool repeats;
    QPointer<QShortcut> made;  // belongs to the window's widget
  };
  std::vector<TFormShortCut> shortCuts_;
};

// The form that holds the control (the root of its parents), or null.
TForm* GetParentForm(TControl* control);

using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;

class TApplication : public TComponent {
 public:
  // Makes the Qt application unless one exists already (which it then leaves alone).
  TApplication(int& argc, char** argv);
  TApplication();
  ~TApplication() override;

  void Initialize();
  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& title);
  // The application's own (hidden) window, owner of its message boxes and shell calls.
  HWND Handle();
  AnsiString ExeName() const;

  // Creates a form owned by the application; the first becomes the main form.
  template <class T>
  void CreateForm(T*& reference) {
    T* form = CreateComponent<T>();
    reference = form;
    if (!mainForm_) mainForm_ = form;
    form->AfterConstruction();
  }
  TForm* MainForm() const { return mainForm_; }
  // Shows the main form and runs the message loop until the main form closes or Terminate.
  void Run();
  // Ends the message loop; every modal form and open dialog ends as cancelled.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // The session or the system ends the program (a logout, a shutdown, a termination request):
  // the main form closes and the application terminates, and from now on no message box or
  // dialog waits for the user, who may be gone.
  void EndSession();
  bool EndingSession() const { return endingSession_; }
  void ProcessMessages();

  int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags);
  // The standard error box: the exception's message with the application's title.
  void ShowException(const std::exception& error);
  // Reports the exception being handled (call inside a catch block): OnException, or the error box.
  void HandleException(TObject* sender);
  TExceptionEvent OnException;

  void BeforeDestruction() override;

 private:
  void Report(TObject* sender, std::exception_ptr error);
  void HaltShutdown();

  std::unique_ptr<QApplication> ownApplication_;
  AnsiString title_;
  HWND handle_ = nullptr;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool endingSession_ = false;
  QPointer<QEventLoop> runLoop_;
};

extern TApplication* Application;
