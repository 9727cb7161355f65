// The preview control on its form with the frame grabber switched on, captures recorded as they
// are reported, and a scratch folder as the storage path.
#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "tests/grabber/counted_media.h"
#include "tests/player/movie_fixture.h"
#include "tests/support/temp_places.h"

namespace grabber_test {

struct Capture {
  QImage image;
  TFrameCapture_Dest dest;
  std::string fileName;
  bool success;
  int frame;  // the number the picture shows
};

class GrabberTest : public player_test::MovieTest {
 protected:
  void SetUp() override;
  // Switches the grabber on, opens the clip and waits until it is open and the grabber spliced in.
  bool OpenWithGrabber(const std::string& clip = CountedClip());
  // Plays and waits until the player says so.
  bool PlayAndWait();
  // Waits until at least count captures were reported.
  bool WaitForCaptures(std::size_t count, int milliseconds = 4000);
  std::string Storage(const std::string& name) const { return (storage.path() / name).string(); }

  test_support::TempFolder storage{"sonvarra-captures"};
  std::vector<Capture> captures;
};

}  // namespace grabber_test
