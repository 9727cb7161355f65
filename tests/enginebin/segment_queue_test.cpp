// The queue between a worker and the joiner, and the joiner's order and failures, on queues fed by
// test threads.

#include "enginebin/segment_queue.h"
#include "enginebin/engine_error.h"
#include "enginebin/segment_joiner.h"
#include "enginebin/usable_cores.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <thread>

namespace enginebin {
namespace {

using namespace std::chrono_literals;

QueuedPacket packet_at(int64_t position, std::size_t size) {
  QueuedPacket packet;
  packet.position = position;
  packet.duration = 1;
  for (std::size_t i = 0; i < size; ++i) packet.data.push_back(static_cast<uint8_t>(position + i));
  if (position % 7 == 0) packet.skip_samples = {1, 2, 3};
  return packet;
}

TEST(SegmentQueue, KeepsTheOrderWhenPacketsWaitInMemoryAndOnDisk) {
  SegmentQueue queue(1000);  // a few packets in memory, the rest spilled
  std::thread worker([&] {
    for (int64_t i = 0; i < 500; ++i) queue.push(packet_at(i, 100 + i % 50));
    queue.finish(SegmentOutcome{true, 5, 500, 0});
  });
  QueuedPacket packet;
  int64_t expected = 0;
  while (queue.next(packet, 5s) == SegmentQueue::Next::packet) {
    const QueuedPacket original = packet_at(expected++, 100 + packet.position % 50);
    EXPECT_EQ(packet.position, original.position);
    EXPECT_EQ(packet.data, original.data);
    EXPECT_EQ(packet.skip_samples, original.skip_samples);
  }
  worker.join();
  EXPECT_EQ(expected, 500);
  EXPECT_TRUE(queue.outcome().input_ran_out);
  EXPECT_EQ(queue.failure(), nullptr);
}

// Feeds queues from threads: segment k delivers packets from its start to its end position.
struct Feeder {
  std::vector<std::unique_ptr<SegmentQueue>> queues;
  std::vector<std::thread> threads;
  ~Feeder() {
    for (auto& thread : threads) thread.join();
  }
  void segment(int64_t from, int64_t until, std::exception_ptr failure = nullptr) {
    queues.push_back(std::make_unique<SegmentQueue>(64));
    SegmentQueue& queue = *queues.back();
    threads.emplace_back([&queue, from, until, failure] {
      for (int64_t position = from; position < until; position += 10) queue.push(packet_at(position, 10));
      if (failure) {
        queue.fail(failure);
      } else {
        queue.finish(SegmentOutcome{});
      }
    });
  }
  std::vector<SegmentQueue*> all() const {
    std::vector<SegmentQueue*> raw;
    for (const auto& queue : queues) raw.push_back(queue.get());
    return raw;
  }
};

TEST(SegmentJoiner, WritesEachSegmentFromItsSeamOn) {
  Feeder feeder;
  feeder.segment(0, 300);    // the first runs past its seam at 200
  feeder.segment(150, 500);  // the second starts before it, to warm up
  std::vector<int64_t> written;
  SegmentJoiner joiner(
      feeder.all(), {0, 200}, EncoderSeams{}, [&](QueuedPacket& packet) { written.push_back(packet.position); }, [] {});
  joiner.run();
  ASSERT_EQ(written.size(), 50u);
  for (std::size_t i = 0; i < written.size(); ++i) EXPECT_EQ(written[i], static_cast<int64_t>(i) * 10);
  EXPECT_EQ(joiner.final_segment(), 1u);
}

TEST(SegmentJoiner, AFailingSegmentEndsTheJoinWithItsOwnError) {
  Feeder feeder;
  feeder.segment(0, 200);
  feeder.segment(200, 300, std::make_exception_ptr(EngineError("Could not read 'x' (Input/output error)")));
  feeder.segment(300, 400);
  int64_t last_written = -1;
  SegmentJoiner joiner(
      feeder.all(), {0, 200, 300}, EncoderSeams{}, [&](QueuedPacket& packet) { last_written = packet.position; },
      [] {});
  try {
    joiner.run();
    FAIL() << "the join went on";
  } catch (const EngineError& error) {
    EXPECT_STREQ(error.what(), "Could not read 'x' (Input/output error)");
  }
  EXPECT_LT(last_written, 300) << "written past the failed segment";
}

TEST(SegmentJoiner, ASegmentThatDoesNotContinueTheOutputIsAMismatch) {
  Feeder feeder;
  feeder.segment(0, 200);
  feeder.segment(250, 400);  // a gap from 200 to 250
  SegmentJoiner joiner(
      feeder.all(), {0, 200}, EncoderSeams{}, [](QueuedPacket&) {}, [] {});
  EXPECT_THROW(joiner.run(), PlanMismatch);
}

TEST(UsableCores, FollowsTheAffinityMask) {
  int alone = 0;
  std::thread pinned([&] {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    if (sched_setaffinity(0, sizeof one, &one) == 0) alone = usable_cores();
  });
  pinned.join();
  EXPECT_EQ(alone, 1);
  cpu_set_t all;
  ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
  EXPECT_EQ(usable_cores(), CPU_COUNT(&all));
}

}  // namespace
}  // namespace enginebin
