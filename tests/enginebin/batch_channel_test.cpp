// The channel between the reading, decoding and encoding threads: order, failures in their place,
// and a consumer that leaves while the producer waits for room.

#include "enginebin/batch_channel.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace enginebin {
namespace {

TEST(BatchChannel, ItemsArriveInOrderAndAFailureAfterThem) {
  BatchChannel<int> channel(4, 2);
  std::thread producer([&] {
    for (int i = 0; i < 1001; ++i) channel.push(i);  // the last batch is not full
    channel.finish(std::make_exception_ptr(std::runtime_error("read error")));
  });
  int expected = 0;
  try {
    while (const std::optional<int> item = channel.pop()) EXPECT_EQ(*item, expected++);
    ADD_FAILURE() << "the failure did not arrive";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "read error");
  }
  producer.join();
  EXPECT_EQ(expected, 1001);
}

TEST(BatchChannel, AConsumerThatLeavesReleasesAProducerWaitingForRoom) {
  BatchChannel<int> channel(1, 1);
  bool refused = false;
  std::thread producer([&] {
    for (int i = 0; !refused; ++i) refused = !channel.push(i);
  });
  EXPECT_EQ(channel.pop(), 0);
  channel.cancel();
  producer.join();
  EXPECT_TRUE(refused);
  EXPECT_EQ(channel.pop(), std::nullopt);
}

}  // namespace
}  // namespace enginebin
