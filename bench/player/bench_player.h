// The control as the benchmark drives it: created by class id, sited in a TestSite, in place in
// the site's window at the given rectangle, and opened without an automatic start.
#pragma once

#include <chrono>
#include <string>

#include "tests/mediaplayer/test_site.h"

namespace player_bench {

class BenchPlayer {
 public:
  explicit BenchPlayer(const RECT& position);
  ~BenchPlayer();
  BenchPlayer(const BenchPlayer&) = delete;
  BenchPlayer& operator=(const BenchPlayer&) = delete;

  IMediaPlayer* operator->() const { return player_.Get(); }
  mediaplayer_test::TestSite& Site() { return site_; }
  // Moves the control's window to a rectangle of the site's window.
  void Place(const RECT& position);
  // Seconds from Open to the open state 6 (the open-state event); negative when it failed.
  double Open(const std::string& file);
  LONG PlayState() const;
  double Position() const;

 private:
  mediaplayer_test::TestSite site_;
  ComPtr<IOleObject> object_;
  ComPtr<IMediaPlayer> player_;
};

double SecondsSince(std::chrono::steady_clock::time_point start);
// Runs the event loop until the condition holds (false after the time is up), looking at it
// every millisecond.
bool RunUntil(const std::function<bool()>& condition, double seconds);

}  // namespace player_bench
