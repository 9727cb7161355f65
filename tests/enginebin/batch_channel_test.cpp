// The channel between the reading, decoding and encoding threads: order, failures in their place,
// items that go round, and a consumer that leaves while the producer waits for room.

#include "enginebin/batch_channel.h"

#include <gtest/gtest.h>

#include <exception>
#include <memory>
#include <set>
#include <stdexcept>
#include <thread>

namespace enginebin {
namespace {

TEST(BatchChannel, ItemsArriveInOrderGoRoundAndAFailureComesAfterThem) {
  BatchChannel<std::unique_ptr<int>> channel(4, 2);
  std::set<const int*> made;  // the producer's alone until it has finished
  std::thread producer([&] {
    for (int i = 0; i < 1001; ++i) {  // the last batch is not full
      std::unique_ptr<int>& slot = channel.slot();
      if (!slot) made.insert((slot = std::make_unique<int>()).get());
      *slot = i;
      channel.commit();
    }
    channel.finish(std::make_exception_ptr(std::runtime_error("read error")));
  });
  int expected = 0;
  std::exception_ptr failure;
  try {
    while (const std::unique_ptr<int>* item = channel.next()) EXPECT_EQ(**item, expected++);
  } catch (...) {
    failure = std::current_exception();
  }
  // Looked at once the producer has gone, as the engine does.
  producer.join();
  EXPECT_EQ(expected, 1001);
  ASSERT_TRUE(failure) << "the failure did not arrive";
  try {
    std::rethrow_exception(failure);
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "read error");
  }
  // Two batches may wait, one is being filled and one read, and one more may be on its way back.
  EXPECT_LE(made.size(), 5u * 4u);
}

TEST(BatchChannel, AConsumerThatLeavesReleasesAProducerWaitingForRoom) {
  BatchChannel<int> channel(1, 1);
  bool refused = false;
  std::thread producer([&] {
    for (int i = 0; !refused; ++i) {
      channel.slot() = i;
      refused = !channel.commit();
    }
  });
  ASSERT_NE(channel.next(), nullptr);
  channel.cancel();
  producer.join();
  EXPECT_TRUE(refused);
  EXPECT_EQ(channel.next(), nullptr);
}

}  // namespace
}  // namespace enginebin
