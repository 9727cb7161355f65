// Builds a media session off the GUI thread: one building thread at a time, owned here and joined
// before the next starts, when its result is taken or abandoned, and at the end.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/mediaplayer/media_session.h"

namespace mediaplayer {

class MediaOpener {
 public:
  MediaOpener() = default;
  ~MediaOpener() { Abandon(); }
  MediaOpener(const MediaOpener&) = delete;
  MediaOpener& operator=(const MediaOpener&) = delete;

  // Abandons a build in progress, then builds the file's session and, when done, posts message
  // to window with the ticket as wParam.
  void Start(std::u16string file, HWND window, UINT message, WPARAM ticket);
  // The result of the build of this ticket (joining its thread); false when that build was
  // abandoned or another has started since.
  bool Take(WPARAM ticket, HRESULT& result, std::unique_ptr<MediaSession>& session);
  // Waits for a build in progress and discards what it made.
  void Abandon();
  bool Busy() const { return thread_.joinable(); }

 private:
  std::thread thread_;
  WPARAM ticket_ = 0;
  std::mutex mutex_;
  // Guarded by mutex_, written by the building thread:
  HRESULT result_ = S_OK;
  std::unique_ptr<MediaSession> session_;
};

}  // namespace mediaplayer
