// Builds a media session off the GUI thread, one build at a time. A build that is abandoned while
// it still runs (a file on a drive or share that does not answer) is let go rather than waited
// for: its thread finishes on its own and releases what it made. Builds still running when the
// process ends are waited for, a bounded time, before the libraries they use go.
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
  // The result of the build of this ticket; false when that build was abandoned or another has
  // started since.
  bool Take(WPARAM ticket, HRESULT& result, std::unique_ptr<MediaSession>& session);
  // Discards the build in progress: what it made is released here when it is done, else by its
  // own thread when it ends.
  void Abandon();

  // Builds let go of and still running, process-wide.
  static int RunningAbandoned();

 private:
  struct Build;
  std::thread thread_;
  std::shared_ptr<Build> build_;  // the build in progress or waiting to be taken
  WPARAM ticket_ = 0;
};

}  // namespace mediaplayer
