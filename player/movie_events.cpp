// The player's events as the control takes them, and the poll tick that reports the position and
// hands on the events the player raised during a state change.
#include <cmath>

#include "framework/exception_report.h"
#include "player/active_movie.h"
#include "player/flag_scope.h"
#include "player/sample_grabber_cb.h"

namespace {

Cardinal RoundFrames(double frames) { return frames > 0 ? static_cast<Cardinal>(std::nearbyint(frames)) : 0; }

}  // namespace

void TActiveMovie::OpenStateChanged(int oldState, int newState) {
  newFramePosition_ = 0;
  newTimePosition_ = 0;
  if (newState == nsClosed) {
    grabberReady_ = false;
    ReleaseRendererWindow();
  } else if (newState == nsOpen) {
    graphVideo_ = nullptr;
    if (fGrabberEnabled_ && grabber_ && SpliceGrabber()) grabberReady_ = true;
    if (auto compatibility = ComPtr<IOleObject>(movie_->OleObject()).As<IMediaPlayerCompatibility>()) {
      ComPtr<IUnknown> graph;
      if (SUCCEEDED(compatibility->get_FilterGraph(graph.Put())) && graph)
        if (auto filterGraph = graph.As<IFilterGraph>()) graphVideo_ = filterGraph.As<IBasicVideo>();
    }
    if (NativeVideoWidth() == 0 && !displayLogo_) videoHidden_ = true;
    lastPosition_ = kUnset;
    LearnLength();
    if (!autoStart_) SetCurrentPosition(0.0);
    if (!rendererWindow_) FindRendererWindow();
    if (OnOpenComplete) OnOpenComplete(this);
  }
  LayoutPass();
  oldOpenState_ = oldState;
  newOpenState_ = newState;
  openStatePending_ = true;
}

void TActiveMovie::PlayStateChanged(int oldState, int newState) {
  lastPlayState_ = newState;
  if (ReadDouble(DISPID_MP_RATE) != rate_) WriteDouble(DISPID_MP_RATE, rate_);
  if (newState == mpPlaying) {
    if (oldState != mpPaused && selectionStart_ != kUnset) SetCurrentPosition(selectionStart_);
    if (firstPlayPending_) {
      // The player starts by itself after an opening: without AutoStart the next tick pauses it.
      if (!autoStart_) pausePending_ = true;
      firstPlayPending_ = false;
    }
    if (fullScreenMode_) fullScreenPending_ = true;
    LayoutPass();
  }
  if (newState == mpStopped && grabber_) grabber_->Cancel();
  oldPlayState_ = oldState;
  newPlayState_ = newState;
  playStatePending_ = true;
}

void TActiveMovie::ReadyStateChanged(int readyState) {
  if (!displayLogo_) {
    videoHidden_ = !(OpenState() == nsOpen && readyState == mpReadyStateComplete);
    if ((readyState == mpReadyStateInteractive || readyState == mpReadyStateComplete) && fGrabberEnabled_ && grabber_ &&
        SpliceGrabber())
      grabberReady_ = true;
  }
  LayoutPass();
  if (OnReadyStateChange) OnReadyStateChange(this, readyState);
}

void TActiveMovie::EndOfStreamReached(int result) {
  if (fullScreenMode_) Pause();
  endOfStreamResult_ = result;
  endOfStreamPending_ = true;
}

void TActiveMovie::Disconnected(int result) {
  disconnectResult_ = result;
  disconnectPending_ = true;
}

void TActiveMovie::ErrorOccurred() {
  if (!OnError) return;
  IMediaPlayer& player = movie_->ControlInterface();
  com::Bstr description;
  OleCheck(player.get_ErrorDescription(description.Put()));
  LONG code = 0;
  OleCheck(player.get_ErrorCode(&code));
  OnError(this, static_cast<int>(code), description.Utf8());
}

void TActiveMovie::PollTick() {
  if (pollGuard_) return;
  FlagScope guard(pollGuard_);
  // Each step stands on its own: a handler that fails is reported and the tick goes on with the
  // next. The report comes while the guard holds, so that the ticks that come while its message
  // is up do not run into the same failure again.
  if (fullScreenPending_) {
    fullScreenPending_ = false;
    Guarded(this, [this] { SetPlayerDisplaySize(mpFullScreen); });
  }
  if (pausePending_) {
    pausePending_ = false;
    Guarded(this, [this] { OleCheck(movie_->ControlInterface().Pause()); });
  }
  bool open = false;
  Guarded(this, [&] { open = OpenState() == nsOpen; });
  if (open) {
    Guarded(this, [this] { PollPosition(); });
    if (OnFullScreenKeyPress && fullScreenKeyPending_) {
      fullScreenKeyPending_ = false;
      Guarded(this, [this] {
        if (fullScreenKey_ == VK_ESCAPE)
          ApplyDisplaySize();  // leaves full screen
        else
          OnFullScreenKeyPress(this, fullScreenKey_, KeyDataToShiftState(fullScreenKeyData_));
      });
    }
  }
  if (endOfStreamPending_) {
    endOfStreamPending_ = false;
    Guarded(this, [this] {
      if (OnEndOfStream) OnEndOfStream(this, endOfStreamResult_);
      if (loop_) OleCheck(movie_->ControlInterface().Play());
    });
  }
  if (openStatePending_) {
    openStatePending_ = false;
    Guarded(this, [this] {
      if (OnOpenStateChange) OnOpenStateChange(this, oldOpenState_, newOpenState_);
    });
  }
  if (playStatePending_) {
    playStatePending_ = false;
    Guarded(this, [this] {
      if (OnPlayStateChange) OnPlayStateChange(this, oldPlayState_, newPlayState_);
    });
  }
  if (disconnectPending_) {
    disconnectPending_ = false;
    Guarded(this, [this] {
      if (OnDisconnect) OnDisconnect(this, disconnectResult_);
    });
  }
}

void TActiveMovie::PollPosition() {
  if (!OnPositionChange && selectionEnd_ == kUnset) return;
  const double position = CurrentPosition();
  if (position == lastPosition_) return;
  if (lastPosition_ == kUnset) lastPosition_ = 0;
  double oldTime = 0;
  Cardinal oldFrame = 0;
  if (DisplayMode() == TDisplayMode::mpTime) {
    oldTime = lastPosition_;
    newTimePosition_ = position;
    if (duration_ != 0) {
      oldFrame = RoundFrames(frameCount_ * lastPosition_ / duration_);
      newFramePosition_ = RoundFrames(frameCount_ * position / duration_);
    } else {
      newFramePosition_ = 0;
    }
  } else {
    oldFrame = RoundFrames(lastPosition_);
    newFramePosition_ = RoundFrames(position);
    if (frameCount_ != 0) {
      oldTime = lastPosition_ * duration_ / frameCount_;
      newTimePosition_ = position * duration_ / frameCount_;
    } else {
      newTimePosition_ = 0;
    }
  }
  lastPosition_ = position;
  if (OnPositionChange) OnPositionChange(this, oldTime, newTimePosition_, oldFrame, newFramePosition_);
  if (selectionEnd_ >= 0 && position >= selectionEnd_) Pause();
}
