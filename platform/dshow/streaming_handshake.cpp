#include "platform/dshow/streaming_handshake.h"

namespace dshow {

void StreamingHandshake::Start(const Lock&) {
  stopping_ = false;
  flushing_ = false;
  acknowledged_ = generation_;
  running_ = true;
}

void StreamingHandshake::BeginFlush(const Lock&) {
  flushing_ = true;
  ++generation_;
  wake_.notify_all();
}

void StreamingHandshake::EndFlush(const Lock&) {
  flushing_ = false;
  wake_.notify_all();
}

void StreamingHandshake::RequestStop(const Lock&) {
  stopping_ = true;
  wake_.notify_all();
}

void StreamingHandshake::AwaitFlushSeen() {
  Lock lock(mutex_);
  seen_.wait(lock, [&] { return acknowledged_ == generation_ || !running_; });
}

void StreamingHandshake::Ended() {
  {
    Lock lock(mutex_);
    running_ = false;
  }
  seen_.notify_all();
}

void StreamingHandshake::Acknowledge(const Lock&, unsigned generation) {
  acknowledged_ = generation;
  seen_.notify_all();
}

}  // namespace dshow
