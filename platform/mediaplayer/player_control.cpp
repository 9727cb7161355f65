// The control's identity, lifetime and events.
#include "platform/mediaplayer/player_control.h"

#include <QTimer>

#include "platform/mediaplayer/error_texts.h"
#include "platform/mediaplayer/variant_values.h"

namespace mediaplayer {

// 320 by 240 pixels at 96 pixels per inch, in HIMETRIC: the size before anything says otherwise.
constexpr SIZEL kDefaultExtent = {8467, 6350};

HRESULT MediaPlayerControl::Create(IUnknown* outer, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  auto* control = new MediaPlayerControl;
  const HRESULT hr = control->QueryInterface(riid, object);
  control->Release();  // the creation reference: what QueryInterface gave is the caller's
  return hr;
}

MediaPlayerControl::MediaPlayerControl()
    : points_(*Identity()), events_(points_.Add(DIID_MediaPlayerEvents)),
      propertyNotify_(points_.Add(IID_IPropertyNotifySink)), extent_(kDefaultExtent),
      messages_(std::make_unique<MessageWindow>(
          [this](UINT message, WPARAM wParam, LPARAM lParam) { OnMessage(message, wParam, lParam); })),
      startTimer_(std::make_unique<QTimer>()) {
  startTimer_->setSingleShot(true);
  startTimer_->setInterval(kAutoStartDelayMs);
  QObject::connect(startTimer_.get(), &QTimer::timeout, [this] { OnStartDelayElapsed(); });
}

MediaPlayerControl::~MediaPlayerControl() {
  points_.DisconnectAll();  // nobody hears the close
  startTimer_->stop();
  window_.reset();
  CloseMedia(false);
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IMediaPlayer)
    *object = static_cast<IMediaPlayer*>(this);
  else if (riid == IID_IOleObject)
    *object = static_cast<IOleObject*>(this);
  else if (riid == IID_IOleInPlaceObject || riid == IID_IOleWindow)
    *object = static_cast<IOleInPlaceObject*>(this);
  else if (riid == IID_IOleInPlaceActiveObject)
    *object = static_cast<IOleInPlaceActiveObject*>(this);
  else if (riid == IID_IOleControl)
    *object = static_cast<IOleControl*>(this);
  else if (riid == IID_IPersistStreamInit || riid == IID_IPersist)
    *object = static_cast<IPersistStreamInit*>(this);
  else if (riid == IID_IConnectionPointContainer)
    *object = static_cast<IConnectionPointContainer*>(&points_);
  else if (riid == IID_IMediaPlayerCompatibility)
    *object = static_cast<IMediaPlayerCompatibility*>(this);
  else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE MediaPlayerControl::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE MediaPlayerControl::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::get_FilterGraph(IUnknown** graph) {
  if (!graph) return E_POINTER;
  *graph = session_ ? session_->Graph() : nullptr;
  if (!*graph) return S_FALSE;
  (*graph)->AddRef();
  return S_OK;
}

void MediaPlayerControl::Fire(DISPID id, std::vector<com::Variant> arguments) {
  if (frozen_ > 0 || !events_.HasSinks()) return;
  // The sinks read the arguments last first.
  std::vector<VARIANTARG> reversed;
  reversed.reserve(arguments.size());
  for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) reversed.push_back(it->Get());
  DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  ComPtr<IUnknown> keepAlive(Identity());  // a handler may let go of the control
  events_.FireDispatch(id, parameters);
}

void MediaPlayerControl::NotifyChanged(DISPID id) {
  if (frozen_ > 0 || !propertyNotify_.HasSinks()) return;
  ComPtr<IUnknown> keepAlive(Identity());
  propertyNotify_.FireOnChanged(id);
}

void MediaPlayerControl::SetOpenState(LONG state) {
  const LONG old = openState_;
  if (old == state) return;
  openState_ = state;
  if (settings_.Bool(DISPID_MP_SENDOPENSTATECHANGEEVENTS))
    Fire(DISPID_MPE_OPENSTATECHANGE, {LongValue(old), LongValue(state)});
}

void MediaPlayerControl::SetPlayState(LONG state) {
  const LONG old = playState_;
  if (old == state) return;
  playState_ = state;
  if (window_) window_->Bar().ShowState(state, session_ ? session_->Duration() : 0, session_ && session_->CanSeek());
  if (settings_.Bool(DISPID_MP_SENDPLAYSTATECHANGEEVENTS))
    Fire(DISPID_MPE_PLAYSTATECHANGE, {LongValue(old), LongValue(state)});
}

void MediaPlayerControl::SetReadyState(LONG state) {
  if (readyState_ == state) return;
  readyState_ = state;
  NotifyChanged(DISPID_MP_READYSTATE);
  Fire(DISPID_MPE_READYSTATECHANGE, {LongValue(state)});
}

void MediaPlayerControl::ReportError(HRESULT code) {
  errorCode_ = code;
  errorDescription_ = ErrorDescription(code, com::Utf16ToUtf8(fileName_));
  if (settings_.Bool(DISPID_MP_SENDERROREVENTS)) {
    Fire(DISPID_MPE_ERROR);
  } else {
    // Without error events the control tells the user itself.
    MessageBoxA(window_ ? window_->Handle() : nullptr, errorDescription_.c_str(), "Windows Media Player",
                MB_OK | MB_ICONERROR);
  }
}

void MediaPlayerControl::ClearError() {
  errorCode_ = S_OK;
  errorDescription_.clear();
}

}  // namespace mediaplayer
