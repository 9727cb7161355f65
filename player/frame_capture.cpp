// Capture requests, the completion of a captured frame on the GUI thread (scaling, the bitmap,
// BMP or JPEG file, the event) and the names of capture files.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "framework/exception_report.h"
#include "framework/jpeg.h"
#include "platform/win32/kernel32.h"
#include "player/active_movie.h"
#include "player/sample_grabber_cb.h"

namespace {

// The last sequence number given to a capture file of each kind; 0 until the folder was scanned.
int bmpCounter = 0;
int jpgCounter = 0;

constexpr std::size_t kSequenceDigits = 6;

// Local time as "yymmdd_hhmmss_zzz".
AnsiString DateTimeStem() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto milliseconds =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  if (const std::tm* converted = std::localtime(&seconds)) local = *converted;
  char stem[32];
  std::snprintf(stem, sizeof stem, "%02d%02d%02d_%02d%02d%02d_%03d", local.tm_year % 100, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(milliseconds));
  return stem;
}

int ScaledLength(int length, int percent) {
  return std::max(1, static_cast<int>(std::nearbyint(static_cast<double>(length) * percent / 100.0)));
}

// Lets the next frame be captured however the completion ends.
class FrameHandledScope {
 public:
  explicit FrameHandledScope(TSampleGrabberCB& grabber) : grabber_(grabber) {}
  ~FrameHandledScope() { grabber_.FrameHandled(); }
  FrameHandledScope(const FrameHandledScope&) = delete;
  FrameHandledScope& operator=(const FrameHandledScope&) = delete;

 private:
  TSampleGrabberCB& grabber_;
};

}  // namespace

bool TActiveMovie::CaptureFrames(TFrameCapture_Dest dest, const AnsiString& fileName, bool pauseWhenDone) {
  if (!grabber_ || !grabberReady_) return false;
  captureDest_ = dest;
  captureFileName_ = fileName;
  captureToTarget_ = false;
  captureTarget_ = nullptr;
  grabber_->Arm(pauseWhenDone);
  return true;
}

bool TActiveMovie::CaptureFramesTo(TBitmap& target, TFrameCapture_Dest dest, const AnsiString& fileName,
                                   bool pauseWhenDone) {
  if (!grabber_ || !grabberReady_) return false;
  captureDest_ = dest;
  captureFileName_ = fileName;
  captureToTarget_ = true;
  captureTarget_ = &target;
  capturedFileName_.clear();
  captureDone_ = false;
  grabber_->Arm(pauseWhenDone);
  return true;
}

void TActiveMovie::CancelCapture() {
  if (grabber_) grabber_->Cancel();
}

void TActiveMovie::FrameCaptured(TMessage& message) {
  message.Result = 0;
  if (message.WParam != 1 || !grabber_) return;
  const bool pauseAfter = message.LParam == 0;
  FrameHandledScope handled(*grabber_);
  double sampleTime = 0;
  const std::unique_ptr<TBitmap> frame = grabber_->TakeFrame(sampleTime);
  if (!frame) return;
  if (pauseAfter) Guarded(this, [this] { OleCheck(movie_->ControlInterface().Pause()); });

  std::unique_ptr<TBitmap> scaled;
  if (captureSize_ != 100) {
    scaled = std::make_unique<TBitmap>();
    scaled->SetSize(ScaledLength(frame->Width(), captureSize_), ScaledLength(frame->Height(), captureSize_));
    scaled->StretchDraw(0, 0, scaled->Width(), scaled->Height(), *frame);
  }
  TBitmap& image = scaled ? *scaled : *frame;

  AnsiString name;
  bool success = true;
  if (captureDest_ == TFrameCapture_Dest::fcBmpFile) {
    name = NextCaptureFileName(bmpCounter, "bmp");
    try {
      image.SaveToFile(name);
    } catch (const std::exception&) {
      success = false;
    }
  } else if (captureDest_ == TFrameCapture_Dest::fcJpegFile) {
    name = NextCaptureFileName(jpgCounter, "jpg");
    try {
      TJPEGImage jpeg;
      jpeg.Assign(image);
      jpeg.Performance = jpegPerformance_;
      jpeg.CompressionQuality = jpegQuality_;
      if (jpegProgressiveDisplay_) {
        jpeg.ProgressiveDisplay = true;
        jpeg.ProgressiveEncoding = true;
      }
      jpeg.SaveToFile(name);
    } catch (const std::exception&) {
      success = false;
    }
  }

  if (captureToTarget_) {
    if (captureTarget_) *captureTarget_ = image;
    capturedFileName_ = name;
    captureDone_ = true;
  } else if (OnFGrabberCaptureCompleted) {
    Guarded(this, [&] { OnFGrabberCaptureCompleted(this, &image, captureDest_, name, success); });
  }
}

AnsiString TActiveMovie::NextCaptureFileName(int& counter, const AnsiString& extension) {
  if (!captureFileName_.empty()) return captureFileName_;
  AnsiString stem;
  if (autoFileName_ == TAuto_Filename::fnDateTime) {
    stem = DateTimeStem();
  } else {
    if (counter == 0) ScanHighestSequence(counter, extension);
    stem = IntToStr(++counter);
    if (stem.size() < kSequenceDigits) stem.insert(0, kSequenceDigits - stem.size(), '0');
  }
  return storagePath_ + PathDelim + autoFilePrefix_ + stem + "." + extension;
}

void TActiveMovie::ScanHighestSequence(int& counter, const AnsiString& extension) {
  const AnsiString pattern = storagePath_ + PathDelim + autoFilePrefix_ + "*." + extension;
  WIN32_FIND_DATAA found{};
  const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const AnsiString name = found.cFileName;
    if (name.compare(0, autoFilePrefix_.size(), autoFilePrefix_) != 0) continue;
    const std::size_t dot = name.find('.', autoFilePrefix_.size());
    const AnsiString number =
        name.substr(autoFilePrefix_.size(), dot == AnsiString::npos ? AnsiString::npos : dot - autoFilePrefix_.size());
    int value = 0;
    if (!number.empty() && TryStrToInt(number, value) && value > counter) counter = value;
  } while (FindNextFileA(search, &found));
  FindClose(search);
}
