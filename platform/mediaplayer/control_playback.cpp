// Opening, playing, pausing and stopping, the automatic start, and the graph's events.
//
// Event handlers run inside these calls and may call the control again (open another file, close
// it, let go of it). mediaGeneration_ changes whenever the media is closed or another opening
// begins; a sequence of events stops as soon as a handler has changed it.
#include <QTimer>

#include "platform/dshow/dshow.h"
#include "platform/mediaplayer/player_control.h"
#include "platform/mediaplayer/variant_values.h"

namespace mediaplayer {
namespace {

constexpr UINT kOpenDoneMessage = WM_APP + 1;  // wParam: the opening's ticket
constexpr UINT kGraphEventMessage = WM_APP + 2;
constexpr double kEndTolerance = 0.001;  // seconds: a position this close to the end is at it

}  // namespace

void MediaPlayerControl::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  ComPtr<IUnknown> keepAlive(Identity());
  if (message == kOpenDoneMessage) {
    HRESULT result = S_OK;
    std::unique_ptr<MediaSession> session;
    if (opener_.Take(wParam, result, session)) FinishOpen(result, std::move(session));
  } else if (message == kGraphEventMessage) {
    OnGraphEvents();
  }
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::Open(BSTR name) {
  const std::u16string file = BstrText(name);
  if (file.empty()) return E_INVALIDARG;
  ComPtr<IUnknown> keepAlive(Identity());
  if (PrepareOpen(file)) opener_.Start(file, messages_->Handle(), kOpenDoneMessage, ++openTicket_);
  return S_OK;
}

HRESULT MediaPlayerControl::OpenNow(const std::u16string& file) {
  ComPtr<IUnknown> keepAlive(Identity());
  if (file.empty()) {
    CloseMedia(true);
    fileName_.clear();
    ClearError();
    SetReadyState(mpReadyStateUninitialized);
    return S_OK;
  }
  if (!PrepareOpen(file)) return S_OK;
  std::unique_ptr<MediaSession> session;
  const HRESULT hr = MediaSession::Build(file, session);
  FinishOpen(hr, std::move(session));
  return hr;
}

bool MediaPlayerControl::PrepareOpen(const std::u16string& file) {
  if (CloseMedia(true) != mediaGeneration_) return false;  // a handler opened something else meanwhile
  const unsigned generation = ++mediaGeneration_;
  fileName_ = file;
  ClearError();
  SetOpenState(nsOpening);
  if (generation != mediaGeneration_) return false;
  SetReadyState(mpReadyStateLoading);
  return generation == mediaGeneration_;
}

void MediaPlayerControl::FinishOpen(HRESULT result, std::unique_ptr<MediaSession> session) {
  const unsigned generation = mediaGeneration_;
  auto superseded = [&] { return generation != mediaGeneration_; };
  if (FAILED(result) || !session) {
    SetOpenState(nsClosed);
    if (superseded()) return;
    SetReadyState(mpReadyStateUninitialized);
    if (superseded()) return;
    ReportError(FAILED(result) ? result : E_FAIL);
    return;
  }
  session_ = std::move(session);
  session_->NotifyWindow(messages_->Handle(), kGraphEventMessage);
  selectionStart_ = 0;
  selectionEnd_ = session_->Duration();
  playsDone_ = 0;
  const double rate = settings_.Double(DISPID_MP_RATE);
  if (rate != 1.0) session_->SetRate(rate);  // a graph that cannot change its rate plays at 1
  ApplyAudioSettings();
  if (window_)
    window_->AttachVideo(session_->VideoWindow(), {session_->VideoWidth(), session_->VideoHeight()});
  else
    PlayerWindow::KeepHidden(session_->VideoWindow());
  // Prerolled: the first picture is there and a start is quick; nothing is heard before Run.
  session_->Pause();
  RequestAutoSize();

  SetOpenState(nsOpen);
  if (superseded()) return;
  SetPlayState(mpStopped);
  if (superseded()) return;
  SetReadyState(mpReadyStateComplete);
  if (superseded()) return;
  if (settings_.Bool(DISPID_MP_AUTOSTART) && playState_ == mpStopped) StartPlayback(true);
}

unsigned MediaPlayerControl::CloseMedia(bool announce) {
  CancelPendingStart();
  const unsigned generation = ++mediaGeneration_;
  opener_.Abandon();
  if (session_) {
    if (window_) window_->DetachVideo();
    session_.reset();  // stops the graph and joins its threads
  }
  selectionStart_ = selectionEnd_ = 0;
  if (!announce) {
    playState_ = mpClosed;
    openState_ = nsClosed;
    return generation;
  }
  SetPlayState(mpClosed);
  if (generation != mediaGeneration_) return generation;
  SetOpenState(nsClosed);
  return generation;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::Cancel() {
  if (openState_ != nsOpening) return S_OK;
  ComPtr<IUnknown> keepAlive(Identity());
  const unsigned generation = ++mediaGeneration_;
  opener_.Abandon();
  SetOpenState(nsClosed);
  if (generation == mediaGeneration_) SetReadyState(mpReadyStateUninitialized);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::Play() {
  if (openState_ != nsOpen || !session_) return VFW_E_WRONG_STATE;
  ComPtr<IUnknown> keepAlive(Identity());
  if (playState_ == mpPlaying) {
    if (!startPending_) return S_OK;
    CancelPendingStart();  // asked for in so many words: no reason to wait
    if (HRESULT hr = session_->Run(); FAILED(hr)) {
      SetPlayState(mpStopped);
      ReportError(hr);
      return hr;
    }
    return S_OK;
  }
  return StartPlayback(false);
}

HRESULT MediaPlayerControl::StartPlayback(bool automatic) {
  const double position = session_->Position();
  // From the end (a clip that played out without rewinding) or before the selection: from its start.
  if (position >= selectionEnd_ - kEndTolerance || position < selectionStart_) session_->SetPosition(selectionStart_);
  if (playState_ == mpStopped) playsDone_ = 0;
  if (automatic) {
    startPending_ = true;
    startTimer_->start();
  } else if (HRESULT hr = session_->Run(); FAILED(hr)) {
    ReportError(hr);
    return hr;
  }
  SetPlayState(mpPlaying);
  return S_OK;
}

void MediaPlayerControl::OnStartDelayElapsed() {
  if (!startPending_) return;
  startPending_ = false;
  if (!session_ || playState_ != mpPlaying) return;
  ComPtr<IUnknown> keepAlive(Identity());
  if (HRESULT hr = session_->Run(); FAILED(hr)) {
    SetPlayState(mpStopped);
    ReportError(hr);
  }
}

void MediaPlayerControl::CancelPendingStart() {
  startPending_ = false;
  if (startTimer_) startTimer_->stop();
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::Pause() {
  if (openState_ != nsOpen || !session_ || playState_ == mpPaused) return S_OK;
  ComPtr<IUnknown> keepAlive(Identity());
  CancelPendingStart();
  if (HRESULT hr = session_->Pause(); FAILED(hr)) return hr;
  SetPlayState(mpPaused);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::Stop() {
  if (openState_ != nsOpen || !session_) return S_OK;
  ComPtr<IUnknown> keepAlive(Identity());
  CancelPendingStart();
  if (HRESULT hr = session_->Stop(); FAILED(hr)) return hr;
  if (settings_.Bool(DISPID_MP_AUTOREWIND)) session_->SetPosition(selectionStart_);
  SetPlayState(mpStopped);
  return S_OK;
}

void MediaPlayerControl::TogglePlayback() {
  if (openState_ != nsOpen) return;
  if (playState_ == mpPlaying)
    Pause();
  else
    Play();
}

void MediaPlayerControl::OnGraphEvents() {
  GraphEvent event;
  while (session_ && session_->NextEvent(event)) {
    switch (event.code) {
      case EC_COMPLETE: OnEndOfStream(); break;
      case EC_ERRORABORT:
      case EC_ERRORABORTEX:
      case EC_STREAM_ERROR_STOPPED: {
        const unsigned generation = mediaGeneration_;
        CancelPendingStart();
        session_->Stop();
        SetPlayState(mpStopped);
        const HRESULT code = static_cast<HRESULT>(event.param1);
        if (generation == mediaGeneration_) ReportError(FAILED(code) ? code : E_FAIL);
        break;
      }
      case EC_USERABORT: Stop(); break;
      case EC_VIDEO_SIZE_CHANGED:
        session_->RefreshVideoSize();
        if (window_) window_->AttachVideo(session_->VideoWindow(), {session_->VideoWidth(), session_->VideoHeight()});
        RequestAutoSize();
        break;
      default: break;
    }
  }
}

void MediaPlayerControl::OnEndOfStream() {
  ++playsDone_;
  const LONG count = settings_.Long(DISPID_MP_PLAYCOUNT);
  if (count == 0 || playsDone_ < count) {
    // Another play: from the selection's start at once.
    session_->Stop();
    session_->SetPosition(selectionStart_);
    session_->Run();
    return;
  }
  const unsigned generation = mediaGeneration_;
  CancelPendingStart();
  session_->Stop();
  if (settings_.Bool(DISPID_MP_AUTOREWIND)) session_->SetPosition(selectionStart_);
  SetPlayState(mpStopped);  // first, so that a handler of the end may play again
  if (generation != mediaGeneration_) return;
  Fire(DISPID_MPE_ENDOFSTREAM, {LongValue(0)});
}

}  // namespace mediaplayer
