// The flush and stop handshake between a filter's control calls and its one streaming thread.
//
// A flush is announced (BeginFlush), seen by the thread, which drops what it holds and says so
// (Acknowledge), awaited by the caller (AwaitFlushSeen) and ended (EndFlush). Each flush starts a
// new generation, so that the thread can tell whether what it is about to deliver was taken before
// the latest flush (Current). Stop asks the thread to end; the owner joins it and calls Ended,
// which also frees a caller still waiting for a flush to be seen.
//
// One lock guards the handshake and whatever else the owner's thread takes its commands from (its
// queue, a pending seek); the calls that need it held take the lock as proof. Every change wakes
// the thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace dshow {

class StreamingHandshake {
 public:
  using Lock = std::unique_lock<std::mutex>;

  Lock Hold() { return Lock(mutex_); }

  // Control side, with the lock held.
  void Start(const Lock&);  // before the thread starts: no stop, no flush, the thread runs
  void BeginFlush(const Lock&);
  void EndFlush(const Lock&);
  void RequestStop(const Lock&);
  // Control side, without the lock: until the thread has seen the latest flush or has ended.
  void AwaitFlushSeen();
  // The thread has ended (or is about to, having seen the stop); without the lock.
  void Ended();

  // Either side, with the lock held.
  bool StopRequested(const Lock&) const { return stopping_; }
  bool Flushing(const Lock&) const { return flushing_; }
  bool FlushUnseen(const Lock&) const { return flushing_ && acknowledged_ != generation_; }
  unsigned Generation(const Lock&) const { return generation_; }
  // Whether work taken in `generation` may still go downstream: no stop and no flush since.
  bool Current(const Lock&, unsigned generation) const { return !stopping_ && !flushing_ && generation == generation_; }

  // Streaming thread, with the lock held.
  void Acknowledge(const Lock&, unsigned generation);
  template <class Predicate>
  void Wait(Lock& lock, Predicate ready) {
    wake_.wait(lock, ready);
  }
  void WaitForChange(Lock& lock) { wake_.wait(lock); }
  // False when the time ran out without a change.
  bool WaitForChange(Lock& lock, std::chrono::milliseconds timeout) {
    return wake_.wait_for(lock, timeout) == std::cv_status::no_timeout;
  }
  void Wake() { wake_.notify_all(); }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;  // the thread: a command arrived
  std::condition_variable seen_;  // the caller: the thread has seen the flush, or has ended
  // Guarded by mutex_:
  bool stopping_ = false;
  bool flushing_ = false;
  bool running_ = false;
  unsigned generation_ = 0;
  unsigned acknowledged_ = 0;
};

}  // namespace dshow
