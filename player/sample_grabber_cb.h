// TSampleGrabberCB: the frame grabber's callback object, called by the sample grabber on the
// streaming thread for every frame. Its reference counting is inert: the control owns it.
#pragma once

#include <memory>

#include "framework/graphics.h"
#include "platform/dshow/dshow.h"

class TSampleGrabberCB final : public TObject, public ISampleGrabberCB {
 public:
  TSampleGrabberCB() = default;
  ~TSampleGrabberCB() override;

  // IUnknown: ISampleGrabberCB and IUnknown only; AddRef answers 2, Release 1, nothing is freed.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  // ISampleGrabberCB: a frame, on the streaming thread. Nothing is armed yet, so no frame is kept.
  HRESULT STDMETHODCALLTYPE SampleCB(double SampleTime, IMediaSample* pSample) override;
  HRESULT STDMETHODCALLTYPE BufferCB(double SampleTime, BYTE* pBuffer, LONG BufferLen) override;

  // Ignored when equal or negative.
  void SetBurstCount(int value);
  // Ignored when equal or below 1.
  void SetBurstInterval(int value);
  void SetBurstMode(bool value) { BurstMode = value; }
  void SetWindow(HWND window) { Window = window; }
  // Ends the capture in progress.
  void Cancel();

  double SampleTime = 0;      // seconds, of the frame captured last
  std::unique_ptr<TBitmap> FrameBitmap;  // a captured frame waiting for the GUI thread
  HWND Window = nullptr;      // where the completion message goes
  bool Busy = false;          // a frame is being handled or waits for the GUI thread
  bool BurstMode = false;
  int Countdown = 0;          // frames left until the next burst capture
  int Remaining = 0;          // burst captures left
  int BurstCount = 1;
  int BurstInterval = 1;      // every BurstInterval-th frame
  BYTE FormatKind = 0;        // 0 none, 1 video-info header, 2 video-info-2 header
  AM_MEDIA_TYPE MediaType{};  // the grabber's connected type
  bool PauseWhenDone = false;
  bool Armed = false;
};

// Whether the system has a sample grabber: one is created in-process and released again.
bool SampleGrabberAvailable();
