#include "platform/mediaplayer/media_opener.h"

#include <chrono>
#include <condition_variable>

namespace mediaplayer {

// Shared by the opener and the building thread; the thread may outlive the opener.
struct MediaOpener::Build {
  std::mutex mutex;
  bool done = false;
  bool abandoned = false;
  HRESULT result = S_OK;
  std::unique_ptr<MediaSession> session;
};

namespace {

// Counts the abandoned builds still running; at the end of the process it waits for them a
// bounded time, so that none is left inside the graph while the process takes the graph down.
class AbandonedBuilds {
 public:
  static AbandonedBuilds& Instance() {
    static AbandonedBuilds instance;
    return instance;
  }
  ~AbandonedBuilds() {
    std::unique_lock lock(mutex_);
    ended_.wait_for(lock, std::chrono::seconds(5), [this] { return running_ == 0; });
  }
  void Add() {
    std::lock_guard lock(mutex_);
    ++running_;
  }
  void Remove() {
    std::lock_guard lock(mutex_);
    --running_;
    ended_.notify_all();
  }
  int Running() {
    std::lock_guard lock(mutex_);
    return running_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ended_;
  int running_ = 0;
};

}  // namespace

void MediaOpener::Start(std::u16string file, HWND window, UINT message, WPARAM ticket) {
  Abandon();
  AbandonedBuilds::Instance();  // made before the first build, so that it outlasts every build
  auto build = std::make_shared<Build>();
  build_ = build;
  ticket_ = ticket;
  thread_ = std::thread([build, file = std::move(file), window, message, ticket] {
    std::unique_ptr<MediaSession> session;
    const HRESULT hr = MediaSession::Build(file, session);
    std::unique_lock lock(build->mutex);
    build->done = true;
    if (build->abandoned) {
      lock.unlock();
      session.reset();
      AbandonedBuilds::Instance().Remove();
      return;
    }
    build->result = hr;
    build->session = std::move(session);
    lock.unlock();
    PostMessageA(window, message, ticket, 0);
  });
}

bool MediaOpener::Take(WPARAM ticket, HRESULT& result, std::unique_ptr<MediaSession>& session) {
  if (!build_ || ticket != ticket_) return false;
  thread_.join();  // it posted its message as its last step
  {
    std::lock_guard lock(build_->mutex);
    result = build_->result;
    session = std::move(build_->session);
  }
  build_.reset();  // only once its mutex is no longer held: this frees it
  return true;
}

void MediaOpener::Abandon() {
  if (!build_) return;
  std::unique_ptr<MediaSession> discarded;
  bool running = false;
  {
    std::lock_guard lock(build_->mutex);
    running = !build_->done;
    if (running) {
      build_->abandoned = true;
      AbandonedBuilds::Instance().Add();
    } else {
      discarded = std::move(build_->session);
    }
  }
  if (running)
    thread_.detach();
  else
    thread_.join();
  build_.reset();
  // discarded goes here, on the caller's (GUI) thread, where the graph's windows live.
}

int MediaOpener::RunningAbandoned() { return AbandonedBuilds::Instance().Running(); }

}  // namespace mediaplayer
