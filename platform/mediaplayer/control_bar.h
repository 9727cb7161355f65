// The control's own transport bar, shown under the video while ShowControls is on: play/pause,
// stop and a position tracker. It only reports what the user asks for; the control acts on it.
#pragma once

#include <QWidget>
#include <functional>

class QSlider;
class QTimer;
class QToolButton;

namespace mediaplayer {

class ControlBar final : public QWidget {
 public:
  struct Actions {
    std::function<void()> playOrPause;
    std::function<void()> stop;
    std::function<void(double seconds)> seek;
    std::function<double()> position;  // seconds, for the tracker while playing
  };
  static constexpr int kHeight = 28;

  ControlBar(QWidget* parent, Actions actions);
  ControlBar(const ControlBar&) = delete;
  ControlBar& operator=(const ControlBar&) = delete;

  // What the bar shows: the play state, the media's length (0: nothing open) and whether the user
  // may move the position.
  void ShowState(long playState, double duration, bool seekable);
  void ShowPosition(double seconds);
  void ShowTracker(bool visible, bool enabled);

 private:
  Actions actions_;
  QToolButton* playButton_;
  QToolButton* stopButton_;
  QSlider* tracker_;
  QTimer* trackerTimer_;
  double duration_ = 0;
  bool trackerEnabled_ = true;
};

}  // namespace mediaplayer
