// Opening and the transport: the player's methods on its IMediaPlayer, positions by dispatch id.
#include <cmath>

#include "player/active_movie.h"

namespace {

// Runs f with the player in the given display mode and puts the mode back, also when f fails.
template <class F>
void InDisplayMode(TOleControl2& movie, int mode, F f) {
  const int current = movie.GetIntegerProperty(DISPID_MP_DISPLAYMODE);
  if (current == mode) {
    f();
    return;
  }
  movie.SetIntegerProperty(DISPID_MP_DISPLAYMODE, mode);
  try {
    f();
  } catch (...) {
    movie.SetIntegerProperty(DISPID_MP_DISPLAYMODE, current);
    throw;
  }
  movie.SetIntegerProperty(DISPID_MP_DISPLAYMODE, current);
}

}  // namespace

void TActiveMovie::Open() {
  if (fileName_.empty()) return;
  IMediaPlayer& player = movie_->ControlInterface();
  if (PlayState() == mpPlaying) OleCheck(player.Stop());
  oleStrings_.clear();
  firstPlayPending_ = true;
  // The name goes to the player as it is: narrowed to an 8-bit code page, a name with characters
  // that the code page lacks would name another file, or none.
  oleStrings_.insert(oleStrings_.begin(), com::Bstr(fileName_));
  OleCheck(player.Open(oleStrings_.front().Get()));
}

void TActiveMovie::Play() {
  if (OpenState() != nsOpen) return;
  OleCheck(movie_->ControlInterface().Play());
  if (fullScreenMode_) SetPlayerDisplaySize(mpFullScreen);
}

bool TActiveMovie::Pause() {
  if (OpenState() != nsOpen || PlayState() != mpPlaying) return false;
  OleCheck(movie_->ControlInterface().Pause());
  return true;
}

void TActiveMovie::Stop() {
  if (OpenState() != nsOpen) return;
  OleCheck(movie_->ControlInterface().Stop());
  SetCurrentPosition(0.0);
}

void TActiveMovie::Seek(double position) {
  if (position > duration_) return;
  InDisplayMode(*movie_, mpTime, [&] { SetCurrentPosition(position); });
}

void TActiveMovie::StepForward(double Divisor) {
  if (OpenState() != nsOpen) return;
  const double length = MediaDuration();
  const double target = length / Divisor + CurrentPosition();
  SetCurrentPosition(length > target ? target : length);
}

void TActiveMovie::StepBackward(double Divisor) {
  if (OpenState() != nsOpen) return;
  const double target = CurrentPosition() - MediaDuration() / Divisor;
  SetCurrentPosition(target > 0 ? target : 0.0);
}

// The length in seconds and in frames; a player that gives no frame count answers the same for both.
void TActiveMovie::LearnLength() {
  double frames = 0;
  InDisplayMode(*movie_, mpFrames, [&] { frames = MediaDuration(); });
  InDisplayMode(*movie_, mpTime, [&] { duration_ = MediaDuration(); });
  frameCount_ = frames == duration_ || frames <= 0 ? 0 : static_cast<Cardinal>(std::nearbyint(frames));
}
