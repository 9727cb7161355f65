// One opened media file: its filter graph and the interfaces the control drives it through.
// Built on the opener's thread (Build makes no call that needs the GUI thread); from then on used
// on the GUI thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/dshow/dshow.h"

namespace mediaplayer {

struct GraphEvent {
  LONG code = 0;
  LONG_PTR param1 = 0;
  LONG_PTR param2 = 0;
};

class MediaSession {
 public:
  // A graph that renders every stream of the file it can, stopped. On failure out stays empty and
  // the graph's code is returned (a file that is not there: HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)).
  static HRESULT Build(const std::u16string& file, std::unique_ptr<MediaSession>& out);
  ~MediaSession();
  MediaSession(const MediaSession&) = delete;
  MediaSession& operator=(const MediaSession&) = delete;

  double Duration() const { return duration_; }    // seconds
  double FrameRate() const { return frameRate_; }  // frames per second, 0 without video
  bool HasVideo() const { return static_cast<bool>(videoWindow_); }
  LONG VideoWidth() const { return videoWidth_; }
  LONG VideoHeight() const { return videoHeight_; }
  bool CanSeek() const { return canSeek_; }
  IUnknown* Graph() const { return graph_.Get(); }
  IVideoWindow* VideoWindow() const { return videoWindow_.Get(); }
  // Re-reads the native video size (after the graph reported a change).
  void RefreshVideoSize();

  // Graph events are posted to window as message; NextEvent takes them one by one.
  void NotifyWindow(HWND window, UINT message);
  bool NextEvent(GraphEvent& event);

  HRESULT Run();
  HRESULT Pause();
  HRESULT Stop();
  // Seconds of the media: the time of the sound being heard now while the graph runs.
  double Position() const;
  HRESULT SetPosition(double seconds);
  HRESULT SetStopPosition(double seconds);
  HRESULT SetRate(double rate);
  // Hundredths of a decibel; without an audio stream these succeed and do nothing.
  HRESULT SetVolume(LONG volume);
  HRESULT SetBalance(LONG balance);

 private:
  MediaSession() = default;

  ComPtr<IGraphBuilder> graph_;
  ComPtr<IMediaControl> control_;
  ComPtr<IMediaSeeking> seeking_;
  ComPtr<IMediaEventEx> events_;
  ComPtr<IBasicAudio> audio_;         // null without an audio stream
  ComPtr<IBasicVideo> video_;         // null without a video stream
  ComPtr<IVideoWindow> videoWindow_;  // null without a video stream
  double duration_ = 0;
  double frameRate_ = 0;
  LONG videoWidth_ = 0;
  LONG videoHeight_ = 0;
  bool canSeek_ = false;
};

}  // namespace mediaplayer
