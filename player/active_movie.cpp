// The control's life: the start-up check, construction, the step that follows the player's window,
// destruction, and the typed readers and writers of the player's properties.
#include "player/active_movie.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "framework/object_instance.h"
#include "platform/com/class_registry.h"
#include "platform/win32/kernel32.h"
#include "player/flag_scope.h"
#include "player/sample_grabber_cb.h"

namespace {

constexpr char kPlayerKey[] = "CLSID\\{22D6F312-B0F6-11D0-94AB-0080C74C7E95}";
constexpr char kNoPlayerMessage[] =
    "Microsoft Windows Media Player is not installed on this platform.\n"
    "You can download it from the Microsoft web site, www.microsoft.com/windows/windowsmedia.";

// How long destruction lets a player that is still loading finish before it lets go of it.
constexpr std::chrono::milliseconds kLoadingGrace{2000};

// Names the timer and the player of every instance apart.
int componentCounter = 0;

AnsiString NextComponentName() { return "AMComponent" + IntToStr(++componentCounter); }

// The program cannot preview without the system's player: it says so and ends at once, before
// anything of it has been shown or stored.
TComponent* RequireMediaPlayer(TComponent* owner) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kPlayerKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    RegCloseKey(key);
    return owner;
  }
  MessageBoxA(nullptr, kNoPlayerMessage, "", MB_OK);
  std::fflush(nullptr);
  std::_Exit(EXIT_FAILURE);
}

// Adds the clip-children style to a window.
void ClipChildren(TWinControl& control) {
  if (!control.HandleAllocated()) return;
  const HWND window = control.Handle();
  SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) | static_cast<LONG>(WS_CLIPCHILDREN));
}

}  // namespace

TActiveMovie::TActiveMovie(TComponent* owner) : TCustomPanel(RequireMediaPlayer(owner)) {
  hiddenFormProc_ = nullptr;
  SetBorderWidth(0);
  SetBevelInner(TBevelCut::bvNone);
  SetBevelOuter(TBevelCut::bvNone);
}

void TActiveMovie::AfterCreation() {
  TCustomPanel::AfterCreation();
  oleStrings_.clear();
  autoFilePrefix_ = "am";
  jpegQuality_ = 100;
  std::error_code noDirectory;
  storagePath_ = std::filesystem::current_path(noDirectory).string();
  grabberStatus_ = com::Utf8ToUtf16(kGrabberDisabledStatus);
  showScrollBars_ = true;
  captureSize_ = 100;
  loop_ = false;
  repaintOnMove_ = false;
  lastPlayState_ = 6;
  SetColor(clBlack);
  SetParentColor(true);
  SetBounds(Left(), Top(), 240, 200);
  fileName_.clear();
  autoStart_ = true;
  scrollBarsThickness_ = 16;
  selectionEnd_ = -1.0;
  selectionStart_ = -1.0;
  displaySize_ = TDisplaySize::mpDefaultSize;
  displayLogo_ = true;
  zoomSize_ = 100;
  rate_ = 1.0;
  movieVisible_ = true;
  duration_ = 0;
  frameCount_ = 0;
  newFramePosition_ = 0;
  newTimePosition_ = 0;
  pollInterval_ = 50;
  lastPosition_ = 0;
  horzFraction_ = 0.5;
  vertFraction_ = 0.5;

  if (!Designing()) {
    CreateParts();
  }

  videoPanel_ = CreateComponent<TPanel>();
  videoPanel_->SetBorderWidth(0);
  videoPanel_->SetBevelInner(TBevelCut::bvNone);
  videoPanel_->SetBevelOuter(TBevelCut::bvNone);
  videoPanel_->SetParent(this);
  videoPanel_->OnResize = [this](TObject*) { FillVideoPanel(); };

  movie_ = CreateComponent<TDerivedMovie_>();
  movie_->SetName(NextComponentName());
  HookMovieEvents();

  // No sizing by the player, no position, no windowless video, no 3-D border.
  WriteBool(DISPID_MP_AUTOSIZE, false);
  WriteBool(DISPID_MP_CURRENTPOSITION, false);
  WriteBool(DISPID_MP_WINDOWLESSVIDEO, false);
  WriteBool(DISPID_MP_VIDEOBORDER3D, false);

  OnResize = [this](TObject*) { LayoutPass(); };
  movie_->SetParent(videoPanel_);
  SetCaption("");

  if (!Designing()) pollTimer_->SetEnabled(true);
}

void TActiveMovie::CreateParts() {
  grabberAvailable_ = SampleGrabberAvailable();
  if (grabberAvailable_) {
    grabber_ = std::make_unique<TSampleGrabberCB>();
    grabber_->SetBurstCount(fGrabberBurstCount_);
    grabber_->SetBurstInterval(fGrabberBurstInterval_);
    grabber_->SetBurstMode(fGrabberBurstMode_);
  }

  horzBar_ = CreateComponent<TScrollBar>();
  vertBar_ = CreateComponent<TScrollBar>();
  vertBar_->SetKind(TScrollBarKind::sbVertical);
  for (TScrollBar* bar : {horzBar_, vertBar_}) {
    bar->SetTabStop(false);
    bar->SetMin(0);
    bar->Hide();
    bar->SetParent(this);
  }
  horzBar_->OnChange = [this](TObject*) { HorzScrolled(); };
  vertBar_->OnChange = [this](TObject*) { VertScrolled(); };

  cornerBox_ = CreateComponent<TPanel>();
  cornerBox_->Hide();
  cornerBox_->SetParent(this);

  rendererHook_ = MakeObjectInstance([this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RendererWndProc(window, message, wParam, lParam);
  });
  rendererWindow_ = nullptr;
  pollGuard_ = false;

  pollTimer_ = CreateComponent<TTimer>();
  pollTimer_->SetName(NextComponentName());
  pollTimer_->SetEnabled(false);
  pollTimer_->OnTimer = [this](TObject*) { PollTick(); };
  pollTimer_->SetInterval(static_cast<unsigned>(pollInterval_));

  hiddenFormHook_ = MakeObjectInstance([this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return HiddenFormWndProc(window, message, wParam, lParam);
  });
}

void TActiveMovie::HookMovieEvents() {
  TDerivedMovie_& m = *movie_;
  m.OnClick = [this](TObject*) {
    if (OnClick) OnClick(this);
  };
  m.OnDblClick = [this](TObject*) {
    if (OnDblClick) OnDblClick(this);
  };
  m.OnEnter = [this](TObject*) {
    if (OnEnter) OnEnter(this);
  };
  m.OnExit = [this](TObject*) {
    if (OnExit) OnExit(this);
  };
  m.OnKeyDown = [this](TObject*, WORD& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
  };
  m.OnKeyPress = [this](TObject*, char& key) {
    if (OnKeyPress) OnKeyPress(this, key);
  };
  m.OnKeyUp = [this](TObject*, WORD& key, TShiftState shift) {
    if (OnKeyUp) OnKeyUp(this, key, shift);
  };
  m.OnMouseDown = [this](TObject*, TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
  };
  m.OnMouseMove = [this](TObject*, TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
  };
  m.OnMouseUp = [this](TObject*, TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
  };
  m.OnWindowCreated = [this](TObject*) { WindowCreated(); };

  m.OnOpenStateChange = [this](TObject*, int oldState, int newState) { OpenStateChanged(oldState, newState); };
  m.OnPlayStateChange = [this](TObject*, int oldState, int newState) { PlayStateChanged(oldState, newState); };
  m.OnReadyStateChange = [this](TObject*, int readyState) { ReadyStateChanged(readyState); };
  m.OnEndOfStream = [this](TObject*, int result) { EndOfStreamReached(result); };
  m.OnScriptCommand = [this](TObject*, BSTR type, BSTR parameter) {
    if (OnScriptCommand) OnScriptCommand(this, type, parameter);
  };
  m.OnBuffering = [this](TObject*, VARIANT_BOOL start) {
    if (OnBuffering) OnBuffering(this, start);
  };
  m.OnError = [this](TObject*) { ErrorOccurred(); };
  m.OnMarkerHit = [this](TObject*, int marker) {
    if (OnMarkerHit) OnMarkerHit(this, marker);
  };
  m.OnWarning = [this](TObject*, int type, int parameter, BSTR description) {
    if (OnWarning) OnWarning(this, type, parameter, description);
  };
  m.OnNewStream = [this](TObject*) {
    if (OnNewStream) OnNewStream(this);
  };
  m.OnDisconnect = [this](TObject*, int result) { Disconnected(result); };
  m.OnDisplayModeChange = [this](TObject*) {
    if (OnDisplayModeChange) OnDisplayModeChange(this);
  };
  m.OnF1HelpInvoked = [this](TObject*, bool& canShowHelp) {
    if (OnF1HelpInvoked) OnF1HelpInvoked(this, canShowHelp);
  };
  // The player's own position changes and DVD notifications are not taken: the poll reports positions.
}

void TActiveMovie::UnhookMovieEvents() {
  TDerivedMovie_& m = *movie_;
  m.OnClick = nullptr;
  m.OnDblClick = nullptr;
  m.OnEnter = nullptr;
  m.OnExit = nullptr;
  m.OnKeyDown = nullptr;
  m.OnKeyPress = nullptr;
  m.OnKeyUp = nullptr;
  m.OnMouseDown = nullptr;
  m.OnMouseMove = nullptr;
  m.OnMouseUp = nullptr;
  m.OnWindowCreated = nullptr;
  m.OnOpenStateChange = nullptr;
  m.OnPlayStateChange = nullptr;
  m.OnReadyStateChange = nullptr;
  m.OnEndOfStream = nullptr;
  m.OnScriptCommand = nullptr;
  m.OnBuffering = nullptr;
  m.OnError = nullptr;
  m.OnMarkerHit = nullptr;
  m.OnWarning = nullptr;
  m.OnNewStream = nullptr;
  m.OnDisconnect = nullptr;
  m.OnDisplayModeChange = nullptr;
  m.OnF1HelpInvoked = nullptr;
}

void TActiveMovie::WindowCreated() {
  movie_->SetParentColor(true);
  FillVideoPanel();
  ClipChildren(*this);
  ClipChildren(*videoPanel_);
  ClipChildren(*movie_);
  if (!Designing()) {
    if (!hiddenForm_) {
      hiddenForm_ = CreateComponent<TForm>();
      const HWND window = hiddenForm_->Handle();
      hiddenFormProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hiddenFormHook_));
    }
    for (TWinControl* part : std::initializer_list<TWinControl*>{horzBar_, vertBar_, cornerBox_}) ClipChildren(*part);
    vertBar_->BringToFront();
    horzBar_->BringToFront();
    cornerBox_->BringToFront();
  }
  LayoutPass();
  if (OnCreate) OnCreate(this);
}

TActiveMovie::~TActiveMovie() {
  // Nothing of the poll may run while the control goes.
  if (pollTimer_) pollTimer_->SetEnabled(false);
  ReleaseRendererWindow();
  if (movie_) UnhookMovieEvents();
  if (hiddenForm_ && hiddenFormProc_ && hiddenForm_->HandleAllocated())
    SetWindowLongPtrA(hiddenForm_->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hiddenFormProc_));
  hiddenFormProc_ = nullptr;
  WaitWhileLoading();
  graphVideo_ = nullptr;
  if (grabber_) {
    RetireGrabber();
    grabber_.reset();
  }
  oleStrings_.clear();
  // The parts go while the control is whole; the window procedures made for it go after them.
  DestroyComponents();
  if (rendererHook_) FreeObjectInstance(rendererHook_);
  if (hiddenFormHook_) FreeObjectInstance(hiddenFormHook_);
}

// A player still loading is given a moment to finish, but no more: one stuck there must not keep
// the program from ending.
void TActiveMovie::WaitWhileLoading() {
  if (!movie_ || !Application) return;
  const auto deadline = std::chrono::steady_clock::now() + kLoadingGrace;
  try {
    while (ReadyState() == mpReadyStateLoading && std::chrono::steady_clock::now() < deadline) {
      Application->ProcessMessages();
      Sleep(5);
    }
  } catch (const std::exception&) {
    // a player that cannot say is not waited for
  }
}

void TActiveMovie::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_SIZE: {
      TCustomPanel::Dispatch(message);
      if (sizingGuard_) return;
      FlagScope sizing(sizingGuard_);
      LayoutPass();
      return;
    }
    case WM_FRAMECAPTURED: FrameCaptured(message); return;
    default: TCustomPanel::Dispatch(message);
  }
}

// Typed access to the player's properties.

bool TActiveMovie::ReadBool(DISPID id) { return movie_->GetBoolProperty(id) != VARIANT_FALSE; }

void TActiveMovie::WriteBool(DISPID id, bool value) {
  movie_->SetBoolProperty(id, value);
  LayoutPass();
}

int TActiveMovie::ReadInteger(DISPID id) { return movie_->GetIntegerProperty(id); }

void TActiveMovie::WriteInteger(DISPID id, int value) { movie_->SetIntegerProperty(id, value); }

double TActiveMovie::ReadDouble(DISPID id) {
  com::Variant value;
  movie_->GetPropertyValue(id, *value.Ptr());
  return value->dblVal;
}

void TActiveMovie::WriteDouble(DISPID id, double value) {
  com::Variant variant;
  variant->vt = VT_R8;
  variant->dblVal = value;
  movie_->SetPropertyValue(id, variant.Get());
}

WideString TActiveMovie::ReadWideString(DISPID id) {
  com::Variant value;
  movie_->GetPropertyValue(id, *value.Ptr());
  if (value->vt != VT_BSTR || !value->bstrVal) return {};
  return WideString(value->bstrVal, SysStringLen(value->bstrVal));
}

void TActiveMovie::WriteWideString(DISPID id, const WideString& value) {
  com::Variant variant;
  variant->vt = VT_BSTR;
  // An empty string goes as a null string.
  variant->bstrVal = value.empty() ? nullptr : SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
  movie_->SetPropertyValue(id, variant.Get());
}

void TActiveMovie::SetPlayerDisplaySize(int value) { WriteInteger(DISPID_MP_DISPLAYSIZE, value); }
double TActiveMovie::MediaDuration() { return ReadDouble(DISPID_MP_DURATION); }
double TActiveMovie::CurrentPosition() { return ReadDouble(DISPID_MP_CURRENTPOSITION); }
void TActiveMovie::SetCurrentPosition(double position) { WriteDouble(DISPID_MP_CURRENTPOSITION, position); }
int TActiveMovie::ReadyState() { return ReadInteger(DISPID_MP_READYSTATE); }
int TActiveMovie::NativeVideoWidth() { return ReadInteger(DISPID_MP_IMAGESOURCEWIDTH); }
int TActiveMovie::NativeVideoHeight() { return ReadInteger(DISPID_MP_IMAGESOURCEHEIGHT); }
int TActiveMovie::PlayState() { return ReadInteger(DISPID_MP_PLAYSTATE); }
int TActiveMovie::OpenState() { return ReadInteger(DISPID_MP_OPENSTATE); }
