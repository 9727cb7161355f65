#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>

#include "framework/exception_report.h"
#include "framework/forms.h"
#include "framework/layout_reader.h"
#include "framework/layout_value.h"

namespace {

// Runs when it goes out of scope, so that a modal run always ends as one.
template <class F>
class ScopeExit {
 public:
  explicit ScopeExit(F f) : f_(std::move(f)) {}
  ~ScopeExit() { f_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  F f_;
};

TForm* FormOf(TWinControl* control) { return GetParentForm(control); }

}  // namespace

// Turns the activation of the form's window into HostDocActivate for its UI-active hosted control.
class TFormActivationFilter final : public QObject {
 public:
  explicit TFormActivationFilter(TForm& form) : form_(form) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate)
      Guarded(&form_, [&] { form_.ActiveChanged(event->type() == QEvent::WindowActivate); });
    return false;
  }

 private:
  TForm& form_;
};

TForm* GetParentForm(TControl* control) {
  if (!control) return nullptr;
  TControl* root = control;
  while (root->Parent()) root = root->Parent();
  return dynamic_cast<TForm*>(root);
}

TForm::TForm(TComponent* owner) : TWinControl(owner) {
  visible_ = false;
  parentColor_ = false;
  parentFont_ = false;
  color_ = clBtnFace;
}

TForm::~TForm() { QObject::disconnect(focusConnection_); }

void TForm::AfterConstruction() {
  ReadLayout(*this, UpperCase(ClassName()));
  if (OnCreate) Guarded(this, [this] { OnCreate(this); });
}

void TForm::BeforeDestruction() {
  if (OnDestroy) Guarded(this, [this] { OnDestroy(this); });
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  borderStyle_ = style;
  if (widget_) ApplyWindowFlags();
}

void TForm::SetBorderIcons(int icons) {
  borderIcons_ = icons;
  if (widget_) ApplyWindowFlags();
}

void TForm::SetIcon(const QImage& icon) { SetIcon(TBitmap(icon)); }

void TForm::SetIcon(const TBitmap& icon) {
  icon_ = icon;
  if (widget_) ApplyIcon();
}

// The window manager picks the size it needs; a drawn icon offers itself sharp at twice its size too.
void TForm::ApplyIcon() {
  QIcon icon;
  if (!icon_.Empty()) {
    icon.addPixmap(QPixmap::fromImage(icon_.Image()));
    const QImage large = icon_.DrawnImage(false, 2.0);
    if (large.size() != icon_.Image().size()) icon.addPixmap(QPixmap::fromImage(large));
  }
  widget_->setWindowIcon(icon);
}

bool TForm::Resizable() const {
  return borderStyle_ == TFormBorderStyle::bsSizeable || borderStyle_ == TFormBorderStyle::bsSizeToolWin;
}

void TForm::SetClientSize(int width, int height) { SetBounds(left_, top_, width, height); }

void TForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style = WS_CLIPCHILDREN;
  if (borderStyle_ != TFormBorderStyle::bsNone) params.Style |= WS_CAPTION;
  if (borderIcons_ & biSystemMenu) params.Style |= WS_SYSMENU;
  if (Resizable()) params.Style |= WS_THICKFRAME;
  if (borderStyle_ != TFormBorderStyle::bsDialog) {
    if (borderIcons_ & biMinimize) params.Style |= WS_MINIMIZEBOX;
    if ((borderIcons_ & biMaximize) && Resizable()) params.Style |= WS_MAXIMIZEBOX;
  } else {
    params.ExStyle |= WS_EX_DLGMODALFRAME;
  }
  params.WndParent = nullptr;
}

QWidget* TForm::CreateWidget(QWidget*) { return new QWidget(nullptr, Qt::Window); }

void TForm::ApplyWindowFlags() {
  Qt::WindowFlags flags;
  const bool systemMenu = (borderIcons_ & biSystemMenu) != 0;
  switch (borderStyle_) {
    case TFormBorderStyle::bsNone: flags = Qt::Window | Qt::FramelessWindowHint; break;
    case TFormBorderStyle::bsDialog:
      flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
      if (systemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
      break;
    case TFormBorderStyle::bsToolWindow:
    case TFormBorderStyle::bsSizeToolWin:
      flags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
      if (systemMenu) flags |= Qt::WindowCloseButtonHint;
      break;
    case TFormBorderStyle::bsSingle:
    case TFormBorderStyle::bsSizeable:
      flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
      if (systemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
      if (systemMenu && (borderIcons_ & biMinimize)) flags |= Qt::WindowMinimizeButtonHint;
      if (systemMenu && (borderIcons_ & biMaximize) && Resizable()) flags |= Qt::WindowMaximizeButtonHint;
      break;
  }
  const bool shown = widget_->isVisible();
  widget_->setWindowFlags(flags);
  if (shown) widget_->show();
}

void TForm::InitializeWidget() {
  ApplyWindowFlags();
  if (!icon_.Empty()) ApplyIcon();
  focusConnection_ = QObject::connect(qApp, &QApplication::focusChanged, SignalContext(),
                                      [this](QWidget* previous, QWidget* current) { FocusChanged(previous, current); });
  if (!activationFilter_) activationFilter_ = std::make_unique<TFormActivationFilter>(*this);
  widget_->installEventFilter(activationFilter_.get());
  for (std::size_t i = 0; i < shortCuts_.size(); ++i) ApplyShortCut(i);
  initializing_ = true;  // a new window is shown by ApplyVisible once it is complete
  TWinControl::InitializeWidget();
  initializing_ = false;
}

void TForm::AddShortCut(TShortCut shortCut, TNotifyEvent handler, bool repeats) {
  shortCuts_.push_back({shortCut, std::move(handler), repeats, nullptr});
  if (widget_) ApplyShortCut(shortCuts_.size() - 1);
}

void TForm::ApplyShortCut(std::size_t index) {
  TFormShortCut& entry = shortCuts_[index];
  if (entry.made && entry.made->parent() == widget_) return;  // this window has it already
  auto* shortcut = new QShortcut(widget_);
  shortcut->setKeys(ShortCutToKeySequences(entry.shortCut));
  shortcut->setContext(Qt::WindowShortcut);
  shortcut->setAutoRepeat(entry.repeats);
  QObject::connect(shortcut, &QShortcut::activated, SignalContext(), [this, index] {
    Guarded(this, [this, index] {
      if (shortCuts_[index].handler) shortCuts_[index].handler(this);
    });
  });
  entry.made = shortcut;
}

void TForm::ApplyBounds() {
  if (!widget_) return;
  if (Resizable()) {
    widget_->setMinimumSize(0, 0);
    widget_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  } else {
    widget_->setFixedSize(std::max(width_, 0), std::max(height_, 0));
  }
  TWinControl::ApplyBounds();
}

void TForm::PlaceOnFirstShow() {
  if (placed_) return;
  placed_ = true;
  QRect area;
  if (position_ == TPosition::poDesktopCenter || position_ == TPosition::poScreenCenter) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) area = screen->availableGeometry();
  } else if (position_ == TPosition::poMainFormCenter && Application && Application->MainForm() &&
             Application->MainForm() != this && Application->MainForm()->Widget()) {
    area = Application->MainForm()->Widget()->geometry();
  }
  if (area.isEmpty()) return;
  SetBounds(area.x() + (area.width() - width_) / 2, area.y() + (area.height() - height_) / 2, width_, height_);
}

void TForm::ApplyVisible() {
  if (initializing_) return;
  if (visible_) {
    const bool creating = !HandleAllocated();
    if (creating) {
      HandleNeeded();  // creation shows nothing; the form is shown below, once
    } else if (widget_ && widget_->isVisible()) {
      return;
    }
    if (!widget_) return;
    PlaceOnFirstShow();
    DoShow();
    widget_->show();
    if (QGuiApplication::platformName() != "offscreen") {  // which cannot stack or activate windows
      widget_->raise();
      widget_->activateWindow();
    }
  } else if (widget_ && !widget_->isHidden()) {
    widget_->hide();
    if (modalLoop_ && modalResult_ == mrNone) SetModalResult(mrCancel);
    DoHide();
  }
}

void TForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TForm::DoHide() {
  if (OnHide) OnHide(this);
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::Close() {
  if (modalLoop_) {
    SetModalResult(mrCancel);  // the modal run asks OnCloseQuery
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = TCloseAction::caHide;
  if (OnClose) OnClose(this, action);
  if (action == TCloseAction::caNone) return;
  if (Application && Application->MainForm() == this) {
    Hide();
    Application->Terminate();
  } else if (action == TCloseAction::caMinimize) {
    if (widget_) widget_->showMinimized();
  } else {
    Hide();
  }
}

void TForm::SetModalResult(int result) {
  modalResult_ = result;
  if (modalLoop_ && result != mrNone) modalLoop_->quit();
}

int TForm::ShowModal() {
  if (modalLoop_ || (widget_ && widget_->isVisible())) throw EInvalidOperation("Cannot make a visible window modal");
  HandleNeeded();
  widget_->setWindowModality(Qt::ApplicationModal);
  modalResult_ = mrNone;
  QEventLoop loop;
  modalLoop_ = &loop;
  ScopeExit end([this] {
    modalLoop_ = nullptr;
    Hide();
    if (widget_) widget_->setWindowModality(Qt::NonModal);
  });
  visible_ = false;
  Show();
  for (;;) {
    if (modalResult_ == mrNone && !(Application && Application->Terminated())) loop.exec();
    if (Application && Application->Terminated()) {
      if (modalResult_ == mrNone) modalResult_ = mrCancel;
      break;
    }
    if (modalResult_ == mrNone) continue;
    if (CloseQuery()) {
      TCloseAction action = TCloseAction::caHide;
      if (OnClose) OnClose(this, action);
      if (action != TCloseAction::caNone) break;
    }
    modalResult_ = mrNone;
  }
  return modalResult_;
}

TWinControl* TForm::ActiveControl() const {
  TWinControl* control = FindControl(GetFocus());
  return control != this && FormOf(control) == this ? control : nullptr;
}

void TForm::FocusChanged(QWidget* previous, QWidget* current) {
  auto controlOf = [](QWidget* widget) -> TWinControl* {
    for (; widget; widget = widget->parentWidget())
      if (TWinControl* control = FindControl(win32::HandleFromWidget(widget))) return control;
    return nullptr;
  };
  TWinControl* from = controlOf(previous);
  TWinControl* to = controlOf(current);
  if (from == to) return;
  if (from && from != this && FormOf(from) == this) from->Perform(CM_HOSTUIDEACTIVATE, 0, 0);
  if (to && to != this && FormOf(to) == this) to->Perform(CM_HOSTUIACTIVATE, 0, 0);
}

void TForm::ActiveChanged(bool active) {
  if (uiActiveHostedControl_) uiActiveHostedControl_->Perform(CM_HOSTDOCACTIVATE, active ? 1 : 0, 0);
}

void TForm::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_CLOSE: WMClose(message); return;
    case WM_ENDSESSION: WMEndSession(message); return;
    case WM_QUERYNEWPALETTE: message.Result = PaletteChanged(true) ? 1 : 0; return;
    case WM_PALETTECHANGED:  // WParam: the window that changed it
      if (!HandleAllocated() || reinterpret_cast<HWND>(message.WParam) != Handle()) PaletteChanged(false);
      return;
    default: TWinControl::Dispatch(message); return;
  }
}

void TForm::WMClose(TMessage&) { Close(); }

void TForm::WMEndSession(TMessage& message) {
  if (message.WParam && Application && Application->MainForm() == this) Application->EndSession();
}

void TForm::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  using B = TFormBorderStyle;
  static const std::pair<const char*, B> borders[] = {
      {"bsNone", B::bsNone},     {"bsSingle", B::bsSingle},         {"bsSizeable", B::bsSizeable},
      {"bsDialog", B::bsDialog}, {"bsToolWindow", B::bsToolWindow}, {"bsSizeToolWin", B::bsSizeToolWin}};
  using P = TPosition;
  static const std::pair<const char*, P> positions[] = {{"poDesigned", P::poDesigned},
                                                        {"poDefault", P::poDefault},
                                                        {"poScreenCenter", P::poScreenCenter},
                                                        {"poDesktopCenter", P::poDesktopCenter},
                                                        {"poMainFormCenter", P::poMainFormCenter}};
  static const std::pair<const char*, int> icons[] = {
      {"biSystemMenu", biSystemMenu}, {"biMinimize", biMinimize}, {"biMaximize", biMaximize}};
  if (name == "BorderStyle") {
    SetBorderStyle(value.Enum(borders));
  } else if (name == "BorderIcons") {
    int set = 0;
    if (value.kind != TLayoutValue::Kind::Identifier || value.Ident() != "none")
      for (const TLayoutValue& item : value.Items()) set |= item.Enum(icons);
    SetBorderIcons(set);
  } else if (name == "Position") {
    SetPosition(value.Enum(positions));
  } else if (name == "Icon") {
    SetIcon(value.Picture());
  } else if (name == "OnCreate") {
    OnCreate = value.Handler<TNotifyEvent>(Name() + ".OnCreate");
  } else if (name == "OnDestroy") {
    OnDestroy = value.Handler<TNotifyEvent>(Name() + ".OnDestroy");
  } else if (name == "OnShow") {
    OnShow = value.Handler<TNotifyEvent>(Name() + ".OnShow");
  } else if (name == "OnHide") {
    OnHide = value.Handler<TNotifyEvent>(Name() + ".OnHide");
  } else if (name == "OnClose") {
    OnClose = value.Handler<TCloseEvent>(Name() + ".OnClose");
  } else if (name == "OnCloseQuery") {
    OnCloseQuery = value.Handler<TCloseQueryEvent>(Name() + ".OnCloseQuery");
  } else {
    TWinControl::SetLayoutProperty(name, value);
  }
}
