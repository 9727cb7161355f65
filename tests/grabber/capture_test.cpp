// Single captures on the real player: what reaches each destination, the scale, the files' names.
#include <filesystem>
#include <fstream>

#include "framework/jpeg.h"
#include "player/sample_grabber_cb.h"
#include "tests/grabber/grabber_fixture.h"
#include "tests/ui_support/qt_wait.h"

namespace grabber_test {
namespace {

namespace fs = std::filesystem;
using test_support::ProcessEvents;
using test_support::ProcessEventsUntil;

class Capturing : public GrabberTest {};

TEST_F(Capturing, OneFrameReachesEachDestinationAsTheVideoShowsIt) {
  ASSERT_TRUE(OpenWithGrabber());
  ASSERT_TRUE(PlayAndWait());

  const std::string bmp = Storage("still.bmp");
  const std::string jpg = Storage("still.jpg");
  ASSERT_TRUE(movie->CaptureFrames(TFrameCapture_Dest::fcTBitmap));
  ASSERT_TRUE(WaitForCaptures(1));
  ASSERT_TRUE(movie->CaptureFrames(TFrameCapture_Dest::fcBmpFile, bmp));
  ASSERT_TRUE(WaitForCaptures(2));
  ASSERT_TRUE(movie->CaptureFrames(TFrameCapture_Dest::fcJpegFile, jpg));
  ASSERT_TRUE(WaitForCaptures(3));
  ProcessEvents(200);
  ASSERT_EQ(3u, captures.size()) << "a single capture delivered more than one frame";

  for (const Capture& capture : captures) {
    EXPECT_TRUE(capture.success);
    EXPECT_EQ(kWidth, capture.image.width());
    EXPECT_EQ(kHeight, capture.image.height());
    EXPECT_GT(MatchingShare(capture.image, capture.frame, 2), 0.999) << "frame " << capture.frame;
  }
  EXPECT_EQ(TFrameCapture_Dest::fcTBitmap, captures[0].dest);
  EXPECT_EQ("", captures[0].fileName);
  EXPECT_LT(captures[0].frame, captures[1].frame);
  EXPECT_LT(captures[1].frame, captures[2].frame);

  EXPECT_EQ(bmp, captures[1].fileName);
  TBitmap file;
  file.LoadFromFile(bmp);
  EXPECT_EQ(captures[1].image.convertToFormat(QImage::Format_RGB32),
            file.Image().convertToFormat(QImage::Format_RGB32));

  EXPECT_EQ(jpg, captures[2].fileName);
  TJPEGImage jpeg;
  jpeg.LoadFromFile(jpg);
  ASSERT_EQ(kWidth, jpeg.Width());
  EXPECT_EQ(captures[2].frame, FrameNumber(jpeg.Bitmap().Image()));
  // Quality 100: every pixel away from the sharp edges keeps its colour within a few steps.
  EXPECT_GT(MatchingShare(jpeg.Bitmap().Image(), captures[2].frame, 12, 2), 0.99);
  EXPECT_EQ(TFrameCapture_Dest::fcJpegFile, captures[2].dest);
}

TEST_F(Capturing, ScalesByCaptureSizeAndFillsTheCallersBitmapWhenAskedTo) {
  ASSERT_TRUE(OpenWithGrabber());
  ASSERT_TRUE(PlayAndWait());
  movie->SetCaptureSize(50);
  TBitmap target;
  ASSERT_TRUE(movie->CaptureFramesTo(target, TFrameCapture_Dest::fcBmpFile, Storage("half.bmp"), true));
  ASSERT_TRUE(ProcessEventsUntil([&] { return movie->CaptureDone(); }, 4000));
  EXPECT_TRUE(captures.empty()) << "a capture into the caller's bitmap is not reported as an event";
  EXPECT_EQ(Storage("half.bmp"), movie->CapturedFileName());
  EXPECT_EQ(160, target.Width());
  EXPECT_EQ(120, target.Height());
  const int frame = FrameNumber(target.Image());
  EXPECT_GT(MatchingShare(target.Image().scaled(kWidth, kHeight), frame, 8, 4), 0.98);
  TBitmap file;
  file.LoadFromFile(Storage("half.bmp"));
  EXPECT_EQ(160, file.Width());
  // Asked to pause once done.
  EXPECT_TRUE(ProcessEventsUntil([&] { return movie->PlayState() == mpPaused; }, 2000));
}

TEST_F(Capturing, AFileThatCannotBeWrittenIsReportedWithTheImageAndLeavesNothing) {
  ASSERT_TRUE(OpenWithGrabber());
  ASSERT_TRUE(PlayAndWait());
  const std::string missingFolder = Storage("gone");
  ASSERT_TRUE(movie->CaptureFrames(TFrameCapture_Dest::fcJpegFile, missingFolder + "/x.jpg"));
  ASSERT_TRUE(WaitForCaptures(1));
  ASSERT_TRUE(movie->CaptureFrames(TFrameCapture_Dest::fcBmpFile, missingFolder + "/x.bmp"));
  ASSERT_TRUE(WaitForCaptures(2));
  for (const Capture& capture : captures) {
    EXPECT_FALSE(capture.success);
    EXPECT_EQ(kWidth, capture.image.width());
  }
  EXPECT_FALSE(fs::exists(missingFolder));
  // The next capture goes through: the failure held nothing back.
  ASSERT_TRUE(movie->CaptureFrames(TFrameCapture_Dest::fcBmpFile, Storage("after.bmp")));
  ASSERT_TRUE(WaitForCaptures(3));
  EXPECT_TRUE(captures[2].success);
  EXPECT_TRUE(fs::exists(Storage("after.bmp")));
  EXPECT_EQ(1, std::distance(fs::directory_iterator(storage.path()), fs::directory_iterator()));
}

// The only test of this suite that lets the control name its files: the sequence counters are
// the program's, shared by every control, and counted from the first scan on.
TEST_F(Capturing, SequentialNamesGoOnFromTheHighestNumberFoundForEachKind) {
  for (const char* name : {"am000007.jpg", "am3.jpg", "amx.jpg", "AM000020.jpg", "bm000030.jpg", "am000011.png"})
    std::ofstream(Storage(name)) << "not a picture";
  fs::create_directory(Storage("am000040.jpg"));
  ASSERT_TRUE(OpenWithGrabber());
  ASSERT_TRUE(PlayAndWait());
  for (TFrameCapture_Dest dest :
       {TFrameCapture_Dest::fcJpegFile, TFrameCapture_Dest::fcBmpFile, TFrameCapture_Dest::fcJpegFile}) {
    const std::size_t before = captures.size();
    ASSERT_TRUE(movie->CaptureFrames(dest));
    ASSERT_TRUE(WaitForCaptures(before + 1));
  }
  EXPECT_EQ(Storage("am000008.jpg"), captures[0].fileName);
  EXPECT_EQ(Storage("am000001.bmp"), captures[1].fileName);
  EXPECT_EQ(Storage("am000009.jpg"), captures[2].fileName);
  for (const Capture& capture : captures) EXPECT_TRUE(fs::exists(capture.fileName)) << capture.fileName;

  movie->SetAutoFileName(TAuto_Filename::fnDateTime);
  movie->SetAutoFilePrefix("shot_");
  ASSERT_TRUE(movie->CaptureFrames(TFrameCapture_Dest::fcBmpFile));
  ASSERT_TRUE(WaitForCaptures(4));
  const std::string stamped = fs::path(captures[3].fileName).filename().string();
  ASSERT_EQ(std::string("shot_yymmdd_hhmmss_zzz.bmp").size(), stamped.size()) << stamped;
  for (std::size_t i : {5u, 6u, 7u, 8u, 9u, 10u, 12u, 13u, 14u, 15u, 16u, 17u, 19u, 20u, 21u})
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(stamped[i]))) << stamped;
  EXPECT_EQ('_', stamped[11]);
  EXPECT_EQ('_', stamped[18]);
}

}  // namespace
}  // namespace grabber_test
