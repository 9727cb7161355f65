#include "platform/mediaplayer/media_session.h"

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <system_error>

#include "platform/com/class_registry.h"

namespace mediaplayer {
namespace {

constexpr double kUnitsPerSecond = 10'000'000.0;  // REFERENCE_TIME
constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002);
constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005);

LONGLONG ToUnits(double seconds) { return static_cast<LONGLONG>(std::llround(seconds * kUnitsPerSecond)); }

// The file must be there and readable; the graph's own codes for these cases vary by source.
HRESULT CheckFile(const std::u16string& file) {
  const std::filesystem::path path(com::Utf16ToUtf8(file));
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error || !std::filesystem::exists(status)) return kFileNotFound;
  if (std::filesystem::is_directory(status)) return kFileNotFound;
  if (access(path.c_str(), R_OK) != 0) return kAccessDenied;
  return S_OK;
}

}  // namespace

HRESULT MediaSession::Build(const std::u16string& file, std::unique_ptr<MediaSession>& out) {
  out.reset();
  if (HRESULT hr = CheckFile(file); FAILED(hr)) return hr;
  std::unique_ptr<MediaSession> session(new MediaSession);
  HRESULT hr =
      CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, session->graph_.PutVoid());
  if (FAILED(hr)) return hr;
  session->control_ = session->graph_.As<IMediaControl>(&hr);
  if (!session->control_) return hr;
  session->seeking_ = session->graph_.As<IMediaSeeking>(&hr);
  if (!session->seeking_) return hr;
  session->events_ = session->graph_.As<IMediaEventEx>(&hr);
  if (!session->events_) return hr;

  hr = session->graph_->RenderFile(file.c_str(), nullptr);
  if (FAILED(hr)) return hr;

  // What the graph rendered: the interfaces answer for the whole graph and fail for a stream it lacks.
  if (auto audio = session->graph_.As<IBasicAudio>()) {
    LONG volume = 0;
    if (SUCCEEDED(audio->get_Volume(&volume))) session->audio_ = audio;
  }
  if (auto video = session->graph_.As<IBasicVideo>()) {
    LONG width = 0;
    LONG height = 0;
    if (SUCCEEDED(video->get_VideoWidth(&width)) && SUCCEEDED(video->get_VideoHeight(&height)) && width > 0 &&
        height > 0) {
      session->video_ = video;
      session->videoWindow_ = session->graph_.As<IVideoWindow>();
      session->videoWidth_ = width;
      session->videoHeight_ = height;
      REFTIME frameTime = 0;
      if (SUCCEEDED(video->get_AvgTimePerFrame(&frameTime)) && frameTime > 0) session->frameRate_ = 1.0 / frameTime;
    }
  }
  LONGLONG duration = 0;
  if (SUCCEEDED(session->seeking_->GetDuration(&duration)) && duration > 0)
    session->duration_ = duration / kUnitsPerSecond;
  DWORD capabilities = 0;
  if (SUCCEEDED(session->seeking_->GetCapabilities(&capabilities)))
    session->canSeek_ = (capabilities & AM_SEEKING_CanSeekAbsolute) != 0;
  out = std::move(session);
  return S_OK;
}

MediaSession::~MediaSession() {
  if (control_) control_->Stop();  // joins the graph's threads
  if (events_) events_->SetNotifyWindow(0, 0, 0);
}

void MediaSession::RefreshVideoSize() {
  if (!video_) return;
  LONG width = 0;
  LONG height = 0;
  if (SUCCEEDED(video_->get_VideoWidth(&width)) && SUCCEEDED(video_->get_VideoHeight(&height)) && width > 0 &&
      height > 0) {
    videoWidth_ = width;
    videoHeight_ = height;
  }
}

void MediaSession::NotifyWindow(HWND window, UINT message) {
  events_->SetNotifyWindow(reinterpret_cast<OAHWND>(window), static_cast<LONG>(message), 0);
}

bool MediaSession::NextEvent(GraphEvent& event) {
  if (FAILED(events_->GetEvent(&event.code, &event.param1, &event.param2, 0))) return false;
  events_->FreeEventParams(event.code, event.param1, event.param2);
  return true;
}

HRESULT MediaSession::Run() { return control_->Run(); }
HRESULT MediaSession::Pause() { return control_->Pause(); }

HRESULT MediaSession::Stop() {
  // Stopping keeps the position: the graph starts from it again.
  LONGLONG position = 0;
  const bool known = SUCCEEDED(seeking_->GetCurrentPosition(&position));
  HRESULT hr = control_->Stop();
  if (SUCCEEDED(hr) && known)
    seeking_->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
  return hr;
}

double MediaSession::Position() const {
  LONGLONG position = 0;
  if (FAILED(seeking_->GetCurrentPosition(&position))) return 0;
  return position / kUnitsPerSecond;
}

HRESULT MediaSession::SetPosition(double seconds) {
  LONGLONG position = ToUnits(seconds);
  return seeking_->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
}

HRESULT MediaSession::SetStopPosition(double seconds) {
  LONGLONG stop = ToUnits(seconds);
  return seeking_->SetPositions(nullptr, AM_SEEKING_NoPositioning, &stop, AM_SEEKING_AbsolutePositioning);
}

HRESULT MediaSession::SetRate(double rate) { return seeking_->SetRate(rate); }

HRESULT MediaSession::SetVolume(LONG volume) { return audio_ ? audio_->put_Volume(volume) : S_OK; }

HRESULT MediaSession::SetBalance(LONG balance) { return audio_ ? audio_->put_Balance(balance) : S_OK; }

}  // namespace mediaplayer
