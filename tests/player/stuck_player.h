// A stand-in for the media player that never finishes loading: its ready state reads 1 (loading)
// for ever. Registered in the player's place while a StuckPlayerInPlace lives.
#pragma once

#include "platform/com/class_registry.h"

namespace player_test {

class StuckPlayerInPlace {
 public:
  StuckPlayerInPlace();
  ~StuckPlayerInPlace();
  StuckPlayerInPlace(const StuckPlayerInPlace&) = delete;
  StuckPlayerInPlace& operator=(const StuckPlayerInPlace&) = delete;
  // How many of its objects are alive.
  static int Living();

 private:
  com::ScopedClassRemoval realPlayer_;
};

}  // namespace player_test
