// The properties with their own handling: colours and visibility, the display size and the
// player's controls, the selection, the frame grabber's settings, and reading them from a layout.
#include <cstdlib>

#include "framework/dialogs.h"
#include "framework/layout_value.h"
#include "player/active_movie.h"
#include "player/sample_grabber_cb.h"

namespace {

constexpr char kCustomSizeRefused[] =
    "this setting is not allowed when DisplaySize = mpCustomSize. Set DisplaySize to another value first.";
constexpr char kShowControlsRefused[] =
    "this setting is not allowed when ShowControls is enabled. Disable ShowControls first.";

// The player's display size for a mode that it sizes itself.
int PlayerDisplaySize(TDisplaySize size) {
  switch (size) {
    case TDisplaySize::mpHalfSize: return mpHalfSize;
    case TDisplaySize::mpDoubleSize: return mpDoubleSize;
    case TDisplaySize::mpFitToSize: return mpFitToSize;
    default: return mpDefaultSize;
  }
}

// A number of a layout: an integer, or a string such as "1.5".
double LayoutDouble(const TLayoutValue& value) {
  if (value.kind == TLayoutValue::Kind::Integer) return static_cast<double>(value.integer);
  const AnsiString text = value.Str();
  char* end = nullptr;
  const double number = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0') value.Fail("'" + text + "' is not a number");
  return number;
}

}  // namespace

void TActiveMovie::SetColor(TColor color) {
  TCustomPanel::SetColor(color);
  savedColor_ = color;
}

void TActiveMovie::SetParentColor(bool value) {
  TCustomPanel::SetParentColor(value);
  savedColor_ = Color();
}

void TActiveMovie::SetVisible(bool value) {
  if (value == movieVisible_) return;
  movieVisible_ = value;
  if (!value) {
    if (Parent()) TCustomPanel::SetColor(Parent()->Color());
  } else if (ParentColor()) {
    if (Parent()) SetColor(Parent()->Color());
  } else {
    SetColor(savedColor_);
  }
  repaintOnMove_ = true;
  LayoutPass();
}

void TActiveMovie::SetDisplayLogo(bool value) {
  displayLogo_ = value;
  if (value)
    videoHidden_ = false;
  else if (!(OpenState() == nsOpen && ReadyState() == mpReadyStateComplete && NativeVideoWidth() != 0))
    videoHidden_ = true;
  LayoutPass();
}

TDisplayMode TActiveMovie::DisplayMode() {
  return ReadInteger(DISPID_MP_DISPLAYMODE) == mpFrames ? TDisplayMode::mpFrames : TDisplayMode::mpTime;
}

void TActiveMovie::SetDisplayMode(TDisplayMode mode) {
  WriteInteger(DISPID_MP_DISPLAYMODE, mode == TDisplayMode::mpFrames ? mpFrames : mpTime);
}

void TActiveMovie::SetDisplaySize(TDisplaySize value) {
  if (showControlsCache_) {
    // With its controls the player sizes the video itself.
    if (value == TDisplaySize::mpCustomSize) {
      ShowMessage(kShowControlsRefused);
      return;
    }
    SetPlayerDisplaySize(PlayerDisplaySize(value));
  } else {
    SetPlayerDisplaySize(mpFitToSize);  // the layout pass sizes it
  }
  displaySize_ = value;
  LayoutPass();
}

bool TActiveMovie::ShowControls() {
  showControlsCache_ = ReadBool(DISPID_MP_SHOWCONTROLS);
  return showControlsCache_;
}

void TActiveMovie::SetShowControls(bool value) {
  if (value && displaySize_ == TDisplaySize::mpCustomSize) {
    ShowMessage(kCustomSizeRefused);
    return;
  }
  const bool had = showControlsCache_;
  WriteBool(DISPID_MP_SHOWCONTROLS, value);
  showControlsCache_ = value;
  if (!value) {
    SetPlayerDisplaySize(mpFitToSize);
    ApplyDisplaySize();
  }
  if (!had && value) ApplyDisplaySize();
  LayoutPass();
}

void TActiveMovie::SetFullScreenMode(bool value) {
  fullScreenMode_ = value;
  if (value)
    SetPlayerDisplaySize(mpFullScreen);
  else
    ApplyDisplaySize();  // which leaves full screen
}

void TActiveMovie::SetZoomSize(int value) {
  if (value <= 0 || value == zoomSize_) return;
  zoomSize_ = value;
  // A size message runs the layout pass; it carries the current size, which the panel takes over.
  if (displaySize_ == TDisplaySize::mpCustomSize) Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(Width(), Height()));
}

void TActiveMovie::SetShowScrollBars(bool value) {
  showScrollBars_ = value;
  repaintOnMove_ = true;
  LayoutPass();
}

void TActiveMovie::SetRate(double value) {
  rate_ = value;
  WriteDouble(DISPID_MP_RATE, value);
}

void TActiveMovie::SetSelectionStart(double value) {
  if (value == selectionStart_) return;
  if (value != kUnset && (value < 0 || (selectionEnd_ != kUnset && value > selectionEnd_))) return;
  selectionStart_ = value;
}

void TActiveMovie::SetSelectionEnd(double value) {
  if (value == selectionEnd_) return;
  if (value != kUnset && (value < 0 || (selectionStart_ != kUnset && value < selectionStart_))) return;
  selectionEnd_ = value;
}

// The frame grabber's settings; the callback takes the burst settings at once.

void TActiveMovie::SetFGrabber_Enabled(bool value) {
  if (value == fGrabberEnabled_) return;
  fGrabberEnabled_ = value;
  grabberStatus_ = value ? WideString() : com::Utf8ToUtf16(kGrabberDisabledStatus);
}

void TActiveMovie::SetFGrabber_BurstCount(int value) {
  if (value == fGrabberBurstCount_ || value < 0) return;
  fGrabberBurstCount_ = value;
  if (grabber_) grabber_->SetBurstCount(value);
}

void TActiveMovie::SetFGrabber_BurstInterval(int value) {
  if (value == fGrabberBurstInterval_ || value < 0) return;
  fGrabberBurstInterval_ = value;
  if (grabber_) grabber_->SetBurstInterval(value);
}

void TActiveMovie::SetFGrabber_BurstMode(bool value) {
  if (value == fGrabberBurstMode_) return;
  fGrabberBurstMode_ = value;
  if (grabber_) grabber_->SetBurstMode(value);
}

// A layout names the player's properties and events as the control publishes them.

void TActiveMovie::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  static const std::pair<const char*, TDisplaySize> sizes[] = {{"mpDefaultSize", TDisplaySize::mpDefaultSize},
                                                               {"mpHalfSize", TDisplaySize::mpHalfSize},
                                                               {"mpDoubleSize", TDisplaySize::mpDoubleSize},
                                                               {"mpFitToSize", TDisplaySize::mpFitToSize},
                                                               {"mpCustomSize", TDisplaySize::mpCustomSize}};
  static const std::pair<const char*, TDisplayMode> modes[] = {{"mpTime", TDisplayMode::mpTime},
                                                               {"mpFrames", TDisplayMode::mpFrames}};
  static const std::pair<const char*, TAuto_Filename> fileNames[] = {{"fnSequential", TAuto_Filename::fnSequential},
                                                                     {"fnDateTime", TAuto_Filename::fnDateTime}};
  static const std::pair<const char*, TJPEGPerformance> performances[] = {
      {"jpBestQuality", TJPEGPerformance::jpBestQuality}, {"jpBestSpeed", TJPEGPerformance::jpBestSpeed}};
  auto handler = [&]<class F>(F& event) { event = value.Handler<F>(Name() + "." + name); };

#define ACTIVEMOVIE_LAYOUT_BOOL(Name_, id) \
  if (name == #Name_) return Set##Name_(value.Bool());
#define ACTIVEMOVIE_LAYOUT_INTEGER(Name_, id) \
  if (name == #Name_) return Set##Name_(value.Int());
#define ACTIVEMOVIE_LAYOUT_COLOR(Name_, id) \
  if (name == #Name_) return Set##Name_(LayoutColor(value));
#define ACTIVEMOVIE_LAYOUT_STRING(Name_, id) \
  if (name == #Name_) return Set##Name_(com::Utf8ToUtf16(value.Str()));
  ACTIVEMOVIE_BOOL_PROPERTIES(ACTIVEMOVIE_LAYOUT_BOOL)
  ACTIVEMOVIE_INTEGER_PROPERTIES(ACTIVEMOVIE_LAYOUT_INTEGER)
  ACTIVEMOVIE_COLOR_PROPERTIES(ACTIVEMOVIE_LAYOUT_COLOR)
  ACTIVEMOVIE_STRING_PROPERTIES(ACTIVEMOVIE_LAYOUT_STRING)
#undef ACTIVEMOVIE_LAYOUT_STRING
#undef ACTIVEMOVIE_LAYOUT_COLOR
#undef ACTIVEMOVIE_LAYOUT_INTEGER
#undef ACTIVEMOVIE_LAYOUT_BOOL

  if (name == "Enabled") return SetEnabled(value.Bool());
  if (name == "Color") return SetColor(LayoutColor(value));
  if (name == "ParentColor") return SetParentColor(value.Bool());
  if (name == "Visible") return SetVisible(value.Bool());
  if (name == "AutoStart") return SetAutoStart(value.Bool());
  if (name == "DisplayLogo") return SetDisplayLogo(value.Bool());
  if (name == "DisplayMode") return SetDisplayMode(value.Enum(modes));
  if (name == "DisplaySize") return SetDisplaySize(value.Enum(sizes));
  if (name == "FileName") return SetFileName(com::Utf8ToUtf16(value.Str()));
  if (name == "FullScreenMode") return SetFullScreenMode(value.Bool());
  if (name == "Loop") return SetLoop(value.Bool());
  if (name == "Rate") return SetRate(LayoutDouble(value));
  if (name == "ScrollBarsThickness") return SetScrollBarsThickness(value.Int());
  if (name == "SelectionStart") return SetSelectionStart(LayoutDouble(value));
  if (name == "SelectionEnd") return SetSelectionEnd(LayoutDouble(value));
  if (name == "ShowControls") return SetShowControls(value.Bool());
  if (name == "ShowScrollBars") return SetShowScrollBars(value.Bool());
  if (name == "ZoomSize") return SetZoomSize(value.Int());
  if (name == "AutoFileName") return SetAutoFileName(value.Enum(fileNames));
  if (name == "AutoFilePrefix") return SetAutoFilePrefix(value.Str());
  if (name == "CaptureSize") return SetCaptureSize(value.Int());
  if (name == "FGrabber_BurstCount") return SetFGrabber_BurstCount(value.Int());
  if (name == "FGrabber_BurstInterval") return SetFGrabber_BurstInterval(value.Int());
  if (name == "FGrabber_BurstMode") return SetFGrabber_BurstMode(value.Bool());
  if (name == "FGrabber_Enabled") return SetFGrabber_Enabled(value.Bool());
  if (name == "JPEGPerformance") return SetJPEGPerformance(value.Enum(performances));
  if (name == "JPEGProgressiveDisplay") return SetJPEGProgressiveDisplay(value.Bool());
  if (name == "JPEGQuality") return SetJPEGQuality(value.Int());
  if (name == "StoragePath") return SetStoragePath(value.Str());

  if (name == "OnCreate") return handler(OnCreate);
  if (name == "OnF1HelpInvoked") return handler(OnF1HelpInvoked);
  if (name == "OnBuffering") return handler(OnBuffering);
  if (name == "OnDisconnect") return handler(OnDisconnect);
  if (name == "OnDisplayModeChange") return handler(OnDisplayModeChange);
  if (name == "OnEndOfStream") return handler(OnEndOfStream);
  if (name == "OnError") return handler(OnError);
  if (name == "OnFGrabberCaptureCompleted") return handler(OnFGrabberCaptureCompleted);
  if (name == "OnFullScreenKeyPress") return handler(OnFullScreenKeyPress);
  if (name == "OnMarkerHit") return handler(OnMarkerHit);
  if (name == "OnNewStream") return handler(OnNewStream);
  if (name == "OnOpenComplete") return handler(OnOpenComplete);
  if (name == "OnOpenStateChange") return handler(OnOpenStateChange);
  if (name == "OnPlayStateChange") return handler(OnPlayStateChange);
  if (name == "OnPositionChange") return handler(OnPositionChange);
  if (name == "OnReadyStateChange") return handler(OnReadyStateChange);
  if (name == "OnScriptCommand") return handler(OnScriptCommand);
  if (name == "OnWarning") return handler(OnWarning);
  TCustomPanel::SetLayoutProperty(name, value);
}
