// Every test of the suite plays into SDL's disk driver: what would reach the speakers lands in a
// file of the suite's own, in real time.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "tests/mediaplayer/audio_capture.h"

namespace mediaplayer_test {

const std::string& CaptureFile() {
  static const std::string file = "/tmp/sonvarra-player-heard-" + std::to_string(getpid()) + ".raw";
  return file;
}

namespace {

class DiskAudio final : public testing::Environment {
 public:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", CaptureFile().c_str(), 1);
  }
  void TearDown() override { unlink(CaptureFile().c_str()); }
};

[[maybe_unused]] testing::Environment* const kDiskAudio = testing::AddGlobalTestEnvironment(new DiskAudio);

}  // namespace
}  // namespace mediaplayer_test
