// IMediaPlayer's properties: the open media's facts, positions in the display mode's unit, and the
// settings with what each changes.
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "platform/com/system_values.h"
#include "platform/dshow/dshow.h"
#include "platform/mediaplayer/player_control.h"
#include "platform/mediaplayer/variant_values.h"

namespace mediaplayer {
namespace {

constexpr int kPixelsPerInch = 96;  // the screen's logical resolution, as hosts reckon extents
constexpr int kHimetricPerInch = 2540;

HRESULT Out(VARIANT_BOOL* target, bool value) {
  if (!target) return E_POINTER;
  *target = value ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

template <class T>
HRESULT Out(T* target, T value) {
  if (!target) return E_POINTER;
  *target = value;
  return S_OK;
}

HRESULT OutString(BSTR* target, const std::u16string& text) {
  if (!target) return E_POINTER;
  *target = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return S_OK;
}

}  // namespace

// --- The open media ---------------------------------------------------------------------------

double MediaPlayerControl::ToDisplayUnits(double seconds) const {
  const bool frames = settings_.Long(DISPID_MP_DISPLAYMODE) == mpFrames && session_ && session_->FrameRate() > 0;
  return frames ? seconds * session_->FrameRate() : seconds;
}

double MediaPlayerControl::ToSeconds(double displayUnits) const {
  const bool frames = settings_.Long(DISPID_MP_DISPLAYMODE) == mpFrames && session_ && session_->FrameRate() > 0;
  return frames ? displayUnits / session_->FrameRate() : displayUnits;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_CurrentPosition(double* position) {
  return Out(position, openState_ == nsOpen && session_ ? ToDisplayUnits(session_->Position()) : -1.0);
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_CurrentPosition(double position) {
  if (!std::isfinite(position)) return E_INVALIDARG;
  if (openState_ != nsOpen || !session_) return S_OK;  // nothing to move
  if (!session_->CanSeek()) return VFW_E_WRONG_STATE;
  const double seconds = std::clamp(ToSeconds(position), 0.0, session_->Duration());
  const double old = session_->Position();
  if (HRESULT hr = session_->SetPosition(seconds); FAILED(hr)) return hr;
  Fire(DISPID_MPE_POSITIONCHANGE, {DoubleValue(old), DoubleValue(seconds)});
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_Duration(double* duration) {
  return Out(duration, openState_ == nsOpen && session_ ? ToDisplayUnits(session_->Duration()) : 0.0);
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_ImageSourceWidth(LONG* width) {
  return Out(width, session_ ? session_->VideoWidth() : LONG{0});
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_ImageSourceHeight(LONG* height) {
  return Out(height, session_ ? session_->VideoHeight() : LONG{0});
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_CanScan(VARIANT_BOOL* canScan) { return Out(canScan, false); }

HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_CanSeek(VARIANT_BOOL* canSeek) {
  return Out(canSeek, session_ && session_->CanSeek());
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_FileName(BSTR* name) { return OutString(name, fileName_); }

HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_FileName(BSTR name) { return OpenNow(BstrText(name)); }

HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_OpenState(LONG* state) { return Out(state, openState_); }
HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_PlayState(LONG* state) { return Out(state, playState_); }
HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_ReadyState(LONG* state) { return Out(state, readyState_); }
HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_ErrorCode(LONG* code) { return Out(code, LONG{errorCode_}); }

HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_ErrorDescription(BSTR* description) {
  return OutString(description, com::Utf8ToUtf16(errorDescription_));
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_HasError(VARIANT_BOOL* hasError) {
  return Out(hasError, errorCode_ != S_OK);
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_SelectionStart(double* value) {
  return Out(value, session_ ? ToDisplayUnits(selectionStart_) : 0.0);
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_SelectionStart(double value) {
  if (openState_ != nsOpen || !session_) return VFW_E_WRONG_STATE;
  const double seconds = ToSeconds(value);
  if (!std::isfinite(seconds) || seconds < 0 || seconds > selectionEnd_) return E_INVALIDARG;
  selectionStart_ = seconds;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_SelectionEnd(double* value) {
  return Out(value, session_ ? ToDisplayUnits(selectionEnd_) : 0.0);
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_SelectionEnd(double value) {
  if (openState_ != nsOpen || !session_) return VFW_E_WRONG_STATE;
  const double seconds = ToSeconds(value);
  if (!std::isfinite(seconds) || seconds < selectionStart_ || seconds > session_->Duration()) return E_INVALIDARG;
  if (HRESULT hr = session_->SetStopPosition(seconds); FAILED(hr)) return hr;
  selectionEnd_ = seconds;
  return S_OK;
}

// --- Settings -----------------------------------------------------------------------------------

HRESULT MediaPlayerControl::GetSetting(DISPID id, VARIANT* value) {
  if (!value) return E_POINTER;
  if (!PlayerSettings::Find(id)) return DISP_E_MEMBERNOTFOUND;
  settings_.Get(id, *value);
  return S_OK;
}

HRESULT MediaPlayerControl::PutSetting(DISPID id, const VARIANT& value) {
  const SettingInfo* info = PlayerSettings::Find(id);
  if (!info) return DISP_E_MEMBERNOTFOUND;
  if (value.vt != info->type) return DISP_E_TYPEMISMATCH;
  if (HRESULT hr = PlayerSettings::Validate(id, value); FAILED(hr)) return hr;
  if (id == DISPID_MP_DISPLAYSIZE && !settings_.Bool(DISPID_MP_ALLOWCHANGEDISPLAYSIZE)) return E_ACCESSDENIED;
  if (id == DISPID_MP_RATE && session_)
    if (HRESULT hr = session_->SetRate(value.dblVal); FAILED(hr)) return hr;  // the graph cannot play at that rate
  const LONG oldMode = settings_.Long(DISPID_MP_DISPLAYMODE);
  settings_.Set(id, value);
  ApplySetting(id);
  NotifyChanged(id);
  if (id == DISPID_MP_DISPLAYMODE && oldMode != value.lVal) Fire(DISPID_MPE_DISPLAYMODECHANGE);
  return S_OK;
}

void MediaPlayerControl::ApplySetting(DISPID id) {
  switch (id) {
    case DISPID_MP_VOLUME:
    case DISPID_MP_BALANCE:
    case DISPID_MP_MUTE: ApplyAudioSettings(); break;
    case DISPID_MP_DISPLAYSIZE:
    case DISPID_MP_SHOWCONTROLS:
    case DISPID_MP_SHOWTRACKER:
    case DISPID_MP_SHOWPOSITIONCONTROLS:
    case DISPID_MP_ENABLETRACKER:
    case DISPID_MP_ENABLEPOSITIONCONTROLS:
      if (window_) window_->SetDisplay(DisplaySettings());
      RequestAutoSize();
      break;
    case DISPID_MP_AUTOSIZE: RequestAutoSize(); break;
    case DISPID_MP_ENABLED:
      if (window_) window_->SetEnabled(settings_.Bool(DISPID_MP_ENABLED));
      break;
    default: break;
  }
}

void MediaPlayerControl::ApplyAudioSettings() {
  if (!session_) return;
  session_->SetVolume(settings_.Bool(DISPID_MP_MUTE) ? -10000 : settings_.Long(DISPID_MP_VOLUME));
  session_->SetBalance(settings_.Long(DISPID_MP_BALANCE));
}

PlayerWindow::Display MediaPlayerControl::DisplaySettings() const {
  PlayerWindow::Display display;
  display.displaySize = settings_.Long(DISPID_MP_DISPLAYSIZE);
  display.showControls = settings_.Bool(DISPID_MP_SHOWCONTROLS);
  display.showTracker = settings_.Bool(DISPID_MP_SHOWTRACKER) && settings_.Bool(DISPID_MP_SHOWPOSITIONCONTROLS);
  display.enableTracker = settings_.Bool(DISPID_MP_ENABLETRACKER) && settings_.Bool(DISPID_MP_ENABLEPOSITIONCONTROLS);
  return display;
}

void MediaPlayerControl::RequestAutoSize() {
  const LONG displaySize = settings_.Long(DISPID_MP_DISPLAYSIZE);
  if (!settings_.Bool(DISPID_MP_AUTOSIZE) || !session_ || !session_->HasVideo() || displaySize == mpFullScreen ||
      displaySize == mpFitToSize)
    return;
  PixelSize screen{1024, 768};
  if (const QScreen* primary = QGuiApplication::primaryScreen())
    screen = {primary->geometry().width(), primary->geometry().height()};
  PixelSize size = PreferredVideoSize(displaySize, {session_->VideoWidth(), session_->VideoHeight()}, screen);
  if (settings_.Bool(DISPID_MP_SHOWCONTROLS)) size.height += ControlBar::kHeight;
  extent_ = {MulDiv(size.width, kHimetricPerInch, kPixelsPerInch),
             MulDiv(size.height, kHimetricPerInch, kPixelsPerInch)};
  if (site_) site_->RequestNewObjectLayout();  // the host takes the new extent
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_AutoStart(VARIANT_BOOL* v) {
  return Out(v, settings_.Bool(DISPID_MP_AUTOSTART));
}
HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_AutoStart(VARIANT_BOOL v) {
  return PutSetting(DISPID_MP_AUTOSTART, BoolValue(v).Get());
}
HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_AutoRewind(VARIANT_BOOL* v) {
  return Out(v, settings_.Bool(DISPID_MP_AUTOREWIND));
}
HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_AutoRewind(VARIANT_BOOL v) {
  return PutSetting(DISPID_MP_AUTOREWIND, BoolValue(v).Get());
}
HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_PlayCount(LONG* v) {
  return Out(v, settings_.Long(DISPID_MP_PLAYCOUNT));
}
HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_PlayCount(LONG v) {
  return PutSetting(DISPID_MP_PLAYCOUNT, LongValue(v).Get());
}
HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_Rate(double* v) { return Out(v, settings_.Double(DISPID_MP_RATE)); }
HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_Rate(double v) {
  return PutSetting(DISPID_MP_RATE, DoubleValue(v).Get());
}
HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_Volume(LONG* v) { return Out(v, settings_.Long(DISPID_MP_VOLUME)); }
HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_Volume(LONG v) {
  return PutSetting(DISPID_MP_VOLUME, LongValue(v).Get());
}
HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_Balance(LONG* v) { return Out(v, settings_.Long(DISPID_MP_BALANCE)); }
HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_Balance(LONG v) {
  return PutSetting(DISPID_MP_BALANCE, LongValue(v).Get());
}
HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_Mute(VARIANT_BOOL* v) {
  return Out(v, settings_.Bool(DISPID_MP_MUTE));
}
HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_Mute(VARIANT_BOOL v) {
  return PutSetting(DISPID_MP_MUTE, BoolValue(v).Get());
}
HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_DisplayMode(LONG* v) {
  return Out(v, settings_.Long(DISPID_MP_DISPLAYMODE));
}
HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_DisplayMode(LONG v) {
  return PutSetting(DISPID_MP_DISPLAYMODE, LongValue(v).Get());
}
HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_DisplaySize(LONG* v) {
  return Out(v, settings_.Long(DISPID_MP_DISPLAYSIZE));
}
HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_DisplaySize(LONG v) {
  return PutSetting(DISPID_MP_DISPLAYSIZE, LongValue(v).Get());
}
HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_AutoSize(VARIANT_BOOL* v) {
  return Out(v, settings_.Bool(DISPID_MP_AUTOSIZE));
}
HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_AutoSize(VARIANT_BOOL v) {
  return PutSetting(DISPID_MP_AUTOSIZE, BoolValue(v).Get());
}

#define MEDIAPLAYER_DEFINE_BOOL(Name, id)                                                                          \
  HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_##Name(VARIANT_BOOL* v) { return Out(v, settings_.Bool(id)); } \
  HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_##Name(VARIANT_BOOL v) {                                       \
    return PutSetting(id, BoolValue(v).Get());                                                                     \
  }
#define MEDIAPLAYER_DEFINE_LONG(Name, id)                                                                  \
  HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_##Name(LONG* v) { return Out(v, settings_.Long(id)); } \
  HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_##Name(LONG v) { return PutSetting(id, LongValue(v).Get()); }
#define MEDIAPLAYER_DEFINE_STRING(Name, id)                           \
  HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_##Name(BSTR* v) { \
    return OutString(v, BstrText(settings_.String(id)));              \
  }                                                                   \
  HRESULT STDMETHODCALLTYPE MediaPlayerControl::put_##Name(BSTR v) {  \
    return PutSetting(id, StringValue(BstrText(v)).Get());            \
  }
MEDIAPLAYER_SETTING_BOOLS(MEDIAPLAYER_DEFINE_BOOL)
MEDIAPLAYER_SETTING_LONGS(MEDIAPLAYER_DEFINE_LONG)
MEDIAPLAYER_SETTING_STRINGS(MEDIAPLAYER_DEFINE_STRING)
#undef MEDIAPLAYER_DEFINE_STRING
#undef MEDIAPLAYER_DEFINE_LONG
#undef MEDIAPLAYER_DEFINE_BOOL

}  // namespace mediaplayer
