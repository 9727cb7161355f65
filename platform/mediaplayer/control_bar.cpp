#include "platform/mediaplayer/control_bar.h"

#include <QHBoxLayout>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "platform/mediaplayer/media_player.h"

namespace mediaplayer {
namespace {

constexpr int kTrackerSteps = 1000;      // the tracker's resolution over the media's length
constexpr int kTrackerIntervalMs = 250;  // how often a playing tracker follows the position

}  // namespace

ControlBar::ControlBar(QWidget* parent, Actions actions)
    : QWidget(parent), actions_(std::move(actions)), playButton_(new QToolButton(this)),
      stopButton_(new QToolButton(this)), tracker_(new QSlider(Qt::Horizontal, this)), trackerTimer_(new QTimer(this)) {
  setAutoFillBackground(true);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  playButton_->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
  stopButton_->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
  playButton_->setFocusPolicy(Qt::NoFocus);
  stopButton_->setFocusPolicy(Qt::NoFocus);
  tracker_->setFocusPolicy(Qt::NoFocus);
  tracker_->setRange(0, kTrackerSteps);
  layout->addWidget(playButton_);
  layout->addWidget(stopButton_);
  layout->addWidget(tracker_, 1);

  connect(playButton_, &QToolButton::clicked, this, [this] {
    if (actions_.playOrPause) actions_.playOrPause();
  });
  connect(stopButton_, &QToolButton::clicked, this, [this] {
    if (actions_.stop) actions_.stop();
  });
  connect(tracker_, &QSlider::sliderReleased, this, [this] {
    if (actions_.seek && duration_ > 0) actions_.seek(duration_ * tracker_->value() / kTrackerSteps);
  });
  trackerTimer_->setInterval(kTrackerIntervalMs);
  connect(trackerTimer_, &QTimer::timeout, this, [this] {
    if (actions_.position) ShowPosition(actions_.position());
  });
  ShowState(mpClosed, 0, false);
}

void ControlBar::ShowState(long playState, double duration, bool seekable) {
  duration_ = duration;
  const bool open = playState != mpClosed;
  playButton_->setEnabled(open);
  stopButton_->setEnabled(open && playState != mpStopped);
  playButton_->setIcon(style()->standardIcon(playState == mpPlaying ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
  tracker_->setEnabled(open && seekable && duration > 0 && trackerEnabled_);
  if (!open) tracker_->setValue(0);
  if (playState == mpPlaying && isVisible())
    trackerTimer_->start();
  else
    trackerTimer_->stop();
}

void ControlBar::ShowPosition(double seconds) {
  if (tracker_->isSliderDown() || duration_ <= 0) return;
  tracker_->setValue(static_cast<int>(std::lround(std::clamp(seconds / duration_, 0.0, 1.0) * kTrackerSteps)));
}

void ControlBar::ShowTracker(bool visible, bool enabled) {
  trackerEnabled_ = enabled;
  tracker_->setVisible(visible);
  tracker_->setEnabled(enabled && duration_ > 0);
}

}  // namespace mediaplayer
