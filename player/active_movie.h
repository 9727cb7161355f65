// TActiveMovie: the media preview control. A panel that hosts the system media player (through
// TDerivedMovie_), re-publishes its properties and events, places and sizes the video itself by a
// display-size mode, reports the playback position from a 50 ms poll timer, and carries the
// settings of a frame grabber that can be spliced into the player's filter graph.
//
// Everything runs on the GUI thread. The player's events arrive inside the calls made to it and
// from its own messages; those it raises during a state change are delivered to this control's
// handlers at the next poll tick.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/extctrls.h"
#include "framework/forms.h"
#include "framework/jpeg.h"
#include "framework/stdctrls.h"
#include "platform/dshow/dshow.h"
#include "player/derived_movie.h"

class TSampleGrabberCB;

using WideString = std::u16string;
using Cardinal = std::uint32_t;

enum class TDisplayMode { mpTime, mpFrames };
enum class TDisplaySize { mpDefaultSize, mpHalfSize, mpDoubleSize, mpFitToSize, mpCustomSize };
enum class TFrameCapture_Dest { fcTBitmap, fcBmpFile, fcJpegFile };
enum class TAuto_Filename { fnSequential, fnDateTime };

// The graph's interfaces held while the frame grabber is spliced in.
struct TDxFilters {
  ComPtr<IBasicVideo> BasicVideo;
  ComPtr<IMediaControl> MediaControl;
  ComPtr<IMediaSeeking> MediaSeeking;
  ComPtr<ISampleGrabber> SampleGrabber;
};

// Positions in both units: seconds, and frames of the video.
using TDerivedMovie_PositionChange2 =
    std::function<void(TObject* Sender, double OldTimePosition, double NewTimePosition, Cardinal OldFramePosition,
                       Cardinal NewFramePosition)>;
using TDerivedMovie_FullScreenKeyPress = std::function<void(TObject* Sender, WORD Key, TShiftState Shift)>;
using TMovieErrorEvent = std::function<void(TObject* Sender, int ErrorCode, const AnsiString& ErrorMessage)>;
using TOnFrameCaptureCompleted = std::function<void(TObject* Sender, TBitmap* Bitmap, TFrameCapture_Dest DestType,
                                                    const AnsiString& FileName, bool Success)>;

// The player's properties that the control passes on unchanged: X(Name, dispatch id).
// clang-format off
#define ACTIVEMOVIE_BOOL_PROPERTIES(X) \
  X(AllowScan, 1035)                   \
  X(AnimationAtStart, 1045)            \
  X(AutoRewind, 1018)                  \
  X(ClickToPlay, 1025)                 \
  X(EnableContextMenu, 1021)           \
  X(EnableFullScreenControls, 1108)    \
  X(EnablePositionControls, 27)        \
  X(EnableTracker, 29)                 \
  X(InvokeURLs, 1020)                  \
  X(Mute, 1089)                        \
  X(SendErrorEvents, 1064)             \
  X(SendKeyboardEvents, 1013)          \
  X(SendMouseClickEvents, 1014)        \
  X(SendMouseMoveEvents, 1015)         \
  X(SendOpenStateChangeEvents, 1062)   \
  X(SendPlayStateChangeEvents, 1069)   \
  X(SendWarningEvents, 1063)           \
  X(ShowAudioControls, 1107)           \
  X(ShowCaptioning, 1084)              \
  X(ShowDisplay, 22)                   \
  X(ShowGotoBar, 1088)                 \
  X(ShowPositionControls, 24)          \
  X(ShowStatusBar, 1086)               \
  X(ShowTracker, 26)                   \
  X(VideoBorder3D, 1103)
#define ACTIVEMOVIE_INTEGER_PROPERTIES(X) \
  X(AudioStream, 1096)                    \
  X(Balance, 20)                          \
  X(CursorType, 1044)                     \
  X(Language, 1095)                       \
  X(PlayCount, 1030)                      \
  X(VideoBorderWidth, 1101)               \
  X(Volume, 19)
#define ACTIVEMOVIE_COLOR_PROPERTIES(X) \
  X(VideoBorderColor, 1102)
#define ACTIVEMOVIE_STRING_PROPERTIES(X) \
  X(BaseURL, 1082)                       \
  X(CaptioningID, 1085)                  \
  X(DefaultFrame, 1083)                  \
  X(SAMIFileName, 1099)                  \
  X(SAMILang, 1098)                      \
  X(SAMIStyle, 1097)
// clang-format on

class TActiveMovie : public TCustomPanel {
 public:
  // Ends the process with a message when the system has no media player.
  explicit TActiveMovie(TComponent* owner);
  ~TActiveMovie() override;
  TActiveMovie(const TActiveMovie&) = delete;
  TActiveMovie& operator=(const TActiveMovie&) = delete;

  void AfterCreation() override;

  // Transport. Open does nothing without a FileName; Play, Pause, Stop and the steps nothing while
  // no media is open; Seek refuses a position beyond Duration. A failure of the player's method
  // raises EOleSysError.
  void Open();
  void Play();
  bool Pause();                      // true when it paused
  void Stop();                       // and back to 0
  void Seek(double position);        // seconds
  void StepForward(double Divisor);  // by MediaDuration / Divisor
  void StepBackward(double Divisor);
  // Seconds of the media that opened last; 0 before any has.
  double Duration() const { return duration_; }
  int PlayState();  // 0 stopped, 1 paused, 2 playing, 6 closed
  int OpenState();  // 6: open

#define ACTIVEMOVIE_DECLARE_BOOL(Name, id) \
  bool Name() { return ReadBool(id); }     \
  void Set##Name(bool value) { WriteBool(id, value); }
#define ACTIVEMOVIE_DECLARE_INTEGER(Name, id) \
  int Name() { return ReadInteger(id); }      \
  void Set##Name(int value) { WriteInteger(id, value); }
#define ACTIVEMOVIE_DECLARE_COLOR(Name, id) \
  TColor Name() { return ReadColor(id); }   \
  void Set##Name(TColor value) { WriteColor(id, value); }
#define ACTIVEMOVIE_DECLARE_STRING(Name, id)       \
  WideString Name() { return ReadWideString(id); } \
  void Set##Name(const WideString& value) { WriteWideString(id, value); }
  ACTIVEMOVIE_BOOL_PROPERTIES(ACTIVEMOVIE_DECLARE_BOOL)
  ACTIVEMOVIE_INTEGER_PROPERTIES(ACTIVEMOVIE_DECLARE_INTEGER)
  ACTIVEMOVIE_COLOR_PROPERTIES(ACTIVEMOVIE_DECLARE_COLOR)
  ACTIVEMOVIE_STRING_PROPERTIES(ACTIVEMOVIE_DECLARE_STRING)
#undef ACTIVEMOVIE_DECLARE_STRING
#undef ACTIVEMOVIE_DECLARE_COLOR
#undef ACTIVEMOVIE_DECLARE_INTEGER
#undef ACTIVEMOVIE_DECLARE_BOOL
  // The player's Enabled, not the panel's.
  bool Enabled() { return ReadBool(DISPID_ENABLED); }
  void SetEnabled(bool value) { WriteBool(DISPID_ENABLED, value); }

  // Properties with their own handling.
  void SetColor(TColor color);  // the panel's colour, kept to come back to when Visible returns
  void SetParentColor(bool value);
  bool AutoStart() const { return autoStart_; }
  void SetAutoStart(bool value) { autoStart_ = value; }
  bool DisplayLogo() const { return displayLogo_; }
  void SetDisplayLogo(bool value);
  TDisplayMode DisplayMode();
  void SetDisplayMode(TDisplayMode mode);
  TDisplaySize DisplaySize() const { return displaySize_; }
  void SetDisplaySize(TDisplaySize value);
  const WideString& FileName() const { return fileName_; }
  void SetFileName(const WideString& name) { fileName_ = name; }
  bool FullScreenMode() const { return fullScreenMode_; }
  void SetFullScreenMode(bool value);
  bool Loop() const { return loop_; }
  void SetLoop(bool value) { loop_ = value; }
  double Rate() const { return rate_; }
  void SetRate(double value);
  int ScrollBarsThickness() const { return scrollBarsThickness_; }
  void SetScrollBarsThickness(int value) { scrollBarsThickness_ = value; }
  // In the display mode's unit; -1.0 is unset. A value outside the other end is refused.
  double SelectionStart() const { return selectionStart_; }
  void SetSelectionStart(double value);
  double SelectionEnd() const { return selectionEnd_; }
  void SetSelectionEnd(double value);
  bool ShowControls();
  void SetShowControls(bool value);
  bool ShowScrollBars() const { return showScrollBars_; }
  void SetShowScrollBars(bool value);
  // False keeps the control in its window but the video out of sight; the sound plays on.
  bool Visible() const { return movieVisible_; }
  void SetVisible(bool value);
  int ZoomSize() const { return zoomSize_; }
  void SetZoomSize(int value);

  // The frame grabber's settings.
  TAuto_Filename AutoFileName() const { return autoFileName_; }
  void SetAutoFileName(TAuto_Filename value) { autoFileName_ = value; }
  const AnsiString& AutoFilePrefix() const { return autoFilePrefix_; }
  void SetAutoFilePrefix(const AnsiString& value) { autoFilePrefix_ = value; }
  int CaptureSize() const { return captureSize_; }
  void SetCaptureSize(int value) { captureSize_ = value; }
  int FGrabber_BurstCount() const { return fGrabberBurstCount_; }
  void SetFGrabber_BurstCount(int value);
  int FGrabber_BurstInterval() const { return fGrabberBurstInterval_; }
  void SetFGrabber_BurstInterval(int value);
  bool FGrabber_BurstMode() const { return fGrabberBurstMode_; }
  void SetFGrabber_BurstMode(bool value);
  bool FGrabber_Enabled() const { return fGrabberEnabled_; }
  void SetFGrabber_Enabled(bool value);
  TJPEGPerformance JPEGPerformance() const { return jpegPerformance_; }
  void SetJPEGPerformance(TJPEGPerformance value) { jpegPerformance_ = value; }
  bool JPEGProgressiveDisplay() const { return jpegProgressiveDisplay_; }
  void SetJPEGProgressiveDisplay(bool value) { jpegProgressiveDisplay_ = value; }
  TJPEGQualityRange JPEGQuality() const { return jpegQuality_; }
  void SetJPEGQuality(TJPEGQualityRange value) { jpegQuality_ = value; }
  const AnsiString& StoragePath() const { return storagePath_; }
  void SetStoragePath(const AnsiString& value) { storagePath_ = value; }

  // Capture requests, taken while the grabber is spliced in (false otherwise). The coming frame,
  // or with FGrabber_BurstMode every FGrabber_BurstInterval-th frame FGrabber_BurstCount times (0:
  // until CancelCapture), goes to dest: a bitmap, or a BMP or JPEG file named fileName or, when
  // that is empty, the next automatic name. Each arrives through OnFGrabberCaptureCompleted, or
  // with CaptureFramesTo in the caller's bitmap (CaptureDone, CapturedFileName). pauseWhenDone
  // pauses the player after the last capture of the request. The target must outlive the request.
  bool CaptureFrames(TFrameCapture_Dest dest, const AnsiString& fileName = {}, bool pauseWhenDone = false);
  bool CaptureFramesTo(TBitmap& target, TFrameCapture_Dest dest, const AnsiString& fileName = {},
                       bool pauseWhenDone = false);
  void CancelCapture();
  bool CaptureDone() const { return captureDone_; }
  const AnsiString& CapturedFileName() const { return capturedFileName_; }
  bool GrabberReady() const { return grabberReady_; }
  TSampleGrabberCB* Grabber() const { return grabber_.get(); }

  // Events. The framework's input events (OnClick, OnKeyDown, ...) are the player's, forwarded.
  TNotifyEvent OnCreate;  // once the player's window is there
  TDerivedMovie_F1HelpInvoked OnF1HelpInvoked;
  TDerivedMovie_Buffering OnBuffering;
  TDerivedMovie_Disconnect OnDisconnect;
  TNotifyEvent OnDisplayModeChange;
  TDerivedMovie_EndOfStream OnEndOfStream;
  TMovieErrorEvent OnError;
  TOnFrameCaptureCompleted OnFGrabberCaptureCompleted;
  TDerivedMovie_FullScreenKeyPress OnFullScreenKeyPress;
  TDerivedMovie_MarkerHit OnMarkerHit;
  TNotifyEvent OnNewStream;
  TNotifyEvent OnOpenComplete;  // Duration is known
  TDerivedMovie_OpenStateChange OnOpenStateChange;
  TDerivedMovie_PlayStateChange OnPlayStateChange;
  TDerivedMovie_PositionChange2 OnPositionChange;
  TDerivedMovie_ReadyStateChange OnReadyStateChange;
  TDerivedMovie_ScriptCommand OnScriptCommand;
  TDerivedMovie_Warning OnWarning;

  // The parts, as the layout made them.
  TDerivedMovie_* Movie() const { return movie_; }
  TPanel* VideoPanel() const { return videoPanel_; }
  TScrollBar* HorzBar() const { return horzBar_; }
  TScrollBar* VertBar() const { return vertBar_; }
  TPanel* CornerBox() const { return cornerBox_; }
  TTimer* PollTimer() const { return pollTimer_; }
  TForm* HiddenForm() const { return hiddenForm_; }
  HWND RendererWindow() const { return rendererWindow_; }
  bool VideoHidden() const { return videoHidden_; }
  Cardinal FrameCount() const { return frameCount_; }
  bool GrabberAvailable() const { return grabberAvailable_; }
  const WideString& GrabberStatus() const { return grabberStatus_; }
  TColor SavedColor() const { return savedColor_; }

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;

 protected:
  void Dispatch(TMessage& message) override;

 private:
  // Typed readers and writers of the player's properties; a boolean write is followed by a layout pass.
  bool ReadBool(DISPID id);
  void WriteBool(DISPID id, bool value);
  int ReadInteger(DISPID id);
  void WriteInteger(DISPID id, int value);
  TColor ReadColor(DISPID id) { return static_cast<TColor>(ReadInteger(id)); }
  void WriteColor(DISPID id, TColor value) { WriteInteger(id, static_cast<int>(value)); }
  double ReadDouble(DISPID id);
  void WriteDouble(DISPID id, double value);
  WideString ReadWideString(DISPID id);
  void WriteWideString(DISPID id, const WideString& value);
  // The player's display size (1032).
  void SetPlayerDisplaySize(int value);
  void ApplyDisplaySize() { SetDisplaySize(displaySize_); }
  double MediaDuration();
  double CurrentPosition();
  void SetCurrentPosition(double position);
  int ReadyState();
  int NativeVideoWidth();
  int NativeVideoHeight();

  // Construction and destruction (active_movie.cpp).
  void CreateParts();
  void HookMovieEvents();
  void UnhookMovieEvents();
  void WindowCreated();
  void WaitWhileLoading();

  // Layout (movie_layout.cpp).
  void LayoutPass();
  void PlaceScrollBars(int width, int height, int zoomWidth, int zoomHeight, int& left, int& top);
  void HideBars();
  void FillVideoPanel();
  void HorzScrolled();
  void VertScrolled();

  // The player's events and the poll (movie_events.cpp).
  void OpenStateChanged(int oldState, int newState);
  void PlayStateChanged(int oldState, int newState);
  void ReadyStateChanged(int readyState);
  void EndOfStreamReached(int result);
  void Disconnected(int result);
  void ErrorOccurred();
  void PollTick();
  void PollPosition();
  void LearnLength();

  // Window procedures and the renderer window (window_hooks.cpp); the completion of a captured frame.
  LRESULT RendererWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HiddenFormWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool StoreFullScreenKey(WPARAM key, LPARAM keyData);
  void FindRendererWindow();
  void ReleaseRendererWindow();
  void FrameCaptured(TMessage& message);

  // The frame grabber (grabber_splice.cpp, frame_capture.cpp): its part of an opening, false while
  // it cannot be spliced in; taking it out of service; capture file names.
  bool SpliceGrabber();
  void RetireGrabber();
  AnsiString NextCaptureFileName(int& counter, const AnsiString& extension);
  void ScanHighestSequence(int& counter, const AnsiString& extension);

  // In the order the control was designed with; the initial values are the constructor's.
  TDxFilters dxFilters_;
  bool sizingGuard_ = false;
  bool autoStart_ = true;
  ComPtr<IBasicVideo> graphVideo_;
  WideString grabberStatus_;
  bool disconnectPending_ = false;
  int disconnectResult_ = 0;
  bool displayLogo_ = true;
  TDisplaySize displaySize_ = TDisplaySize::mpDefaultSize;
  bool grabberAvailable_ = false;
  WideString fileName_;
  Cardinal frameCount_ = 0;
  Cardinal newFramePosition_ = 0;
  TAuto_Filename autoFileName_ = TAuto_Filename::fnSequential;
  AnsiString autoFilePrefix_;
  bool grabberReady_ = false;
  int fGrabberBurstCount_ = 0;
  int fGrabberBurstInterval_ = 0;
  bool fGrabberBurstMode_ = false;
  std::unique_ptr<TSampleGrabberCB> grabber_;
  AnsiString captureFileName_;
  int captureSize_ = 100;
  bool fGrabberEnabled_ = false;
  TFrameCapture_Dest captureDest_ = TFrameCapture_Dest::fcTBitmap;
  int lastPlayState_ = 6;
  TJPEGPerformance jpegPerformance_ = TJPEGPerformance::jpBestQuality;
  bool jpegProgressiveDisplay_ = false;
  TJPEGQualityRange jpegQuality_ = 100;
  AnsiString storagePath_;
  TBitmap* captureTarget_ = nullptr;
  AnsiString capturedFileName_;
  bool captureDone_ = false;
  bool captureToTarget_ = false;
  bool pollGuard_ = false;
  WORD fullScreenKey_ = 0;
  LPARAM fullScreenKeyData_ = 0;
  bool fullScreenKeyPending_ = false;
  bool fullScreenMode_ = false;
  bool videoHidden_ = false;
  HWND rendererWindow_ = nullptr;
  TScrollBar* horzBar_ = nullptr;
  bool firstPlayPending_ = false;
  TPanel* videoPanel_ = nullptr;
  bool loop_ = false;
  TDerivedMovie_* movie_ = nullptr;
  TColor savedColor_ = clBlack;
  WNDPROC hiddenFormProc_ = nullptr;
  WNDPROC hiddenFormHook_ = nullptr;
  TForm* hiddenForm_ = nullptr;
  WNDPROC rendererHook_ = nullptr;
  std::vector<com::Bstr> oleStrings_;
  WNDPROC rendererProc_ = nullptr;
  bool openStatePending_ = false;
  int oldOpenState_ = 0;
  int newOpenState_ = 0;
  bool fullScreenPending_ = false;
  bool pausePending_ = false;
  bool playStatePending_ = false;
  int oldPlayState_ = 0;
  int newPlayState_ = 0;
  double lastPosition_ = 0;
  double rate_ = 1.0;
  bool endOfStreamPending_ = false;
  int endOfStreamResult_ = 0;
  bool repaintOnMove_ = false;
  TPanel* cornerBox_ = nullptr;
  double horzFraction_ = 0.5;
  double vertFraction_ = 0.5;
  static constexpr double kUnset = -1.0;  // a selection end not set, a position not yet reported
  double selectionEnd_ = kUnset;
  double selectionStart_ = kUnset;
  bool showControlsCache_ = false;
  bool showScrollBars_ = true;
  int scrollBarsThickness_ = 16;
  double newTimePosition_ = 0;
  TTimer* pollTimer_ = nullptr;
  double duration_ = 0;
  int pollInterval_ = 50;
  bool movieVisible_ = true;  // the published Visible; the panel's own stays as it is
  TScrollBar* vertBar_ = nullptr;
  int zoomSize_ = 100;

  bool placingBars_ = false;  // the layout pass moves the bars: no scroll handling meanwhile
};

// GrabberStatus while the grabber is switched off.
inline constexpr char kGrabberDisabledStatus[] = "the FGrabber_Enabled property must be enabled.";

// The private message that the frame grabber posts to the control's window.
constexpr UINT WM_FRAMECAPTURED = WM_APP + 1000;
