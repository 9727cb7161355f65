#include "tests/grabber/grabber_fixture.h"

#include "tests/ui_support/qt_wait.h"

namespace grabber_test {

using test_support::ProcessEventsUntil;

void GrabberTest::SetUp() {
  MovieTest::SetUp();
  movie->SetStoragePath(storage.str());
  movie->SetVisible(false);  // as the program's window has it: the video out of sight
  movie->OnFGrabberCaptureCompleted = [this](TObject*, TBitmap* bitmap, TFrameCapture_Dest dest, const AnsiString& name,
                                             bool success) {
    const QImage image = bitmap ? bitmap->Image().copy() : QImage();
    captures.push_back({image, dest, name, success, image.isNull() ? -1 : FrameNumber(image)});
  };
}

bool GrabberTest::OpenWithGrabber(const std::string& clip) {
  movie->SetFGrabber_Enabled(true);
  return OpenAndWait(clip) && movie->GrabberReady();
}

bool GrabberTest::PlayAndWait() {
  movie->Play();
  return ProcessEventsUntil([&] { return movie->PlayState() == mpPlaying; }, 3000);
}

bool GrabberTest::WaitForCaptures(std::size_t count, int milliseconds) {
  return ProcessEventsUntil([&] { return captures.size() >= count; }, milliseconds);
}

}  // namespace grabber_test
