// The flush and stop handshake on its own, between a test thread and a made-up streaming thread.
#include "platform/dshow/streaming_handshake.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace dshow_test {
namespace {

using dshow::StreamingHandshake;

TEST(StreamingHandshake, AFlushIsAwaitedUntilTheThreadHasSeenItAndWorkTakenBeforeItIsStale) {
  StreamingHandshake handshake;
  unsigned taken = 0;
  {
    auto lock = handshake.Hold();
    handshake.Start(lock);
    taken = handshake.Generation(lock);
    EXPECT_TRUE(handshake.Current(lock, taken));
  }
  std::atomic<bool> dropped{false};
  std::thread streaming([&] {
    auto lock = handshake.Hold();
    handshake.Wait(lock, [&] { return handshake.StopRequested(lock) || handshake.FlushUnseen(lock); });
    if (handshake.FlushUnseen(lock)) {
      lock.unlock();
      std::this_thread::sleep_for(std::chrono::milliseconds(30));  // dropping what it held
      dropped = true;
      lock.lock();
      handshake.Acknowledge(lock, handshake.Generation(lock));
    }
    handshake.Wait(lock, [&] { return handshake.StopRequested(lock); });
  });

  {
    auto lock = handshake.Hold();
    handshake.BeginFlush(lock);
    EXPECT_FALSE(handshake.Current(lock, taken));
  }
  handshake.AwaitFlushSeen();
  EXPECT_TRUE(dropped) << "the caller went on before the thread had dropped its work";
  {
    auto lock = handshake.Hold();
    handshake.EndFlush(lock);
    EXPECT_FALSE(handshake.Current(lock, taken)) << "taken before the flush";
    EXPECT_TRUE(handshake.Current(lock, handshake.Generation(lock)));
    handshake.RequestStop(lock);
    EXPECT_FALSE(handshake.Current(lock, handshake.Generation(lock))) << "nothing goes on once stopping";
  }
  streaming.join();
  handshake.Ended();
}

TEST(StreamingHandshake, AThreadThatEndsWithoutSeeingTheFlushFreesItsCaller) {
  StreamingHandshake handshake;
  handshake.AwaitFlushSeen();  // no thread ever ran: nothing to wait for
  {
    auto lock = handshake.Hold();
    handshake.Start(lock);
    handshake.BeginFlush(lock);
  }
  std::atomic<bool> freed{false};
  std::thread caller([&] {
    handshake.AwaitFlushSeen();
    freed = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(freed);
  handshake.Ended();
  caller.join();
  EXPECT_TRUE(freed);
}

}  // namespace
}  // namespace dshow_test
