// TSampleGrabberCB: the frame grabber's callback object, called by the sample grabber on the
// streaming thread for every frame. Its reference counting is inert: the control owns it.
//
// Threads: BufferCB runs on the streaming thread, everything else on the GUI thread. One frame at
// a time travels to the GUI thread: Busy is set by the callback when it takes a frame and cleared
// by FrameHandled once the control has dealt with it. The fields the two threads share are guarded
// by lock_; Armed is read first without it, so that a frame costs one flag test while nothing is
// armed.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "framework/graphics.h"
#include "platform/dshow/dshow.h"

class TSampleGrabberCB final : public TObject, public ISampleGrabberCB {
 public:
  TSampleGrabberCB() = default;
  ~TSampleGrabberCB() override;
  TSampleGrabberCB(const TSampleGrabberCB&) = delete;
  TSampleGrabberCB& operator=(const TSampleGrabberCB&) = delete;

  // IUnknown: ISampleGrabberCB and IUnknown only; AddRef answers 2, Release 1, nothing is freed.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE SampleCB(double SampleTime, IMediaSample* pSample) override;
  // A frame, on the streaming thread: while a capture is armed it is copied into FrameBitmap and
  // the window is told by WM_APP + 1000 (WParam 1; LParam 0 when the player is to pause after it).
  HRESULT STDMETHODCALLTYPE BufferCB(double SampleTime, BYTE* pBuffer, LONG BufferLen) override;

  // Ignored when equal or negative.
  void SetBurstCount(int value);
  // Ignored when equal or below 1.
  void SetBurstInterval(int value);
  void SetBurstMode(bool value);
  void SetWindow(HWND window);
  // Starts a capture request: one frame, or in burst mode BurstCount captures (0: until
  // cancelled) of every BurstInterval-th frame.
  void Arm(bool pauseWhenDone);
  // Ends the capture in progress.
  void Cancel();

  // The connected media type of the grabber; FormatKind follows from it (0 when it is no video).
  BYTE SetMediaType(const AM_MEDIA_TYPE& type);
  void ClearMediaType();

  // The completion's side: the frame waiting, with its sample time; then FrameHandled lets the
  // next frame be captured.
  std::unique_ptr<TBitmap> TakeFrame(double& sampleTime);
  void FrameHandled();

  // What the fields say now (for the control and its tests).
  bool Armed() const { return armed_.load(std::memory_order_acquire); }
  bool Busy() const { return busy_.load(std::memory_order_acquire); }
  int Remaining() const;
  int BurstCount() const;
  int BurstInterval() const;
  bool BurstMode() const;
  BYTE FormatKind() const;

 private:
  // Captures this frame? Advances the counters; sets pause when the player is to pause after it.
  bool CountFrame(bool& pause);
  // The bitmap header inside the connected type's format block, by FormatKind.
  const BITMAPINFOHEADER* FrameHeader() const;

  std::atomic<bool> busy_{false};   // a frame is being handled or waits for the GUI thread
  std::atomic<bool> armed_{false};  // a capture request is active; written under lock_
  mutable std::mutex lock_;
  // Guarded by lock_:
  double sampleTime_ = 0;                 // seconds, of the frame captured last
  std::unique_ptr<TBitmap> frameBitmap_;  // a captured frame waiting for the GUI thread
  HWND window_ = nullptr;                 // where the completion message goes
  bool burstMode_ = false;
  int countdown_ = 0;  // frames left until the next burst capture
  int remaining_ = 0;  // burst captures left
  int burstCount_ = 1;
  int burstInterval_ = 1;      // every burstInterval_-th frame
  BYTE formatKind_ = 0;        // 0 none, 1 video-info header, 2 video-info-2 header
  AM_MEDIA_TYPE mediaType_{};  // the grabber's connected type
  bool pauseWhenDone_ = false;
};

// Whether the system has a sample grabber: one is created in-process and released again.
bool SampleGrabberAvailable();
