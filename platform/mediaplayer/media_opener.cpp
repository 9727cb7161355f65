#include "platform/mediaplayer/media_opener.h"

namespace mediaplayer {

void MediaOpener::Start(std::u16string file, HWND window, UINT message, WPARAM ticket) {
  Abandon();
  ticket_ = ticket;
  thread_ = std::thread([this, file = std::move(file), window, message, ticket] {
    std::unique_ptr<MediaSession> session;
    const HRESULT hr = MediaSession::Build(file, session);
    {
      std::lock_guard lock(mutex_);
      result_ = hr;
      session_ = std::move(session);
    }
    PostMessageA(window, message, ticket, 0);
  });
}

bool MediaOpener::Take(WPARAM ticket, HRESULT& result, std::unique_ptr<MediaSession>& session) {
  if (!thread_.joinable() || ticket != ticket_) return false;
  thread_.join();
  std::lock_guard lock(mutex_);
  result = result_;
  session = std::move(session_);
  return true;
}

void MediaOpener::Abandon() {
  if (!thread_.joinable()) return;
  thread_.join();
  std::unique_ptr<MediaSession> discarded;
  {
    std::lock_guard lock(mutex_);
    discarded = std::move(session_);
  }
  // discarded goes here, on the caller's (GUI) thread, where the graph's windows live.
}

}  // namespace mediaplayer
