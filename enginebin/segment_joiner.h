#pragma once
// Writes the packets of every segment, in order, into the one output. Each segment's encoder ran
// on the sequential encoder's frame grid, so a packet is known by where its frame starts; from each
// seam on, the next segment's packets replace the previous one's. MP3 frames may keep part of
// their data in the space of earlier frames (the bit reservoir): at a seam the joiner switches at
// the first frame whose look-back fits into the space the previous segment left unused there, and
// puts the bytes that frame expects into that space.

#include "segment_plan.h"
#include "segment_queue.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

namespace enginebin {

class SegmentJoiner {
 public:
  using Clock = std::chrono::steady_clock;

  // write: puts one packet into the output (its position gives its time). idle: called whenever
  // the joiner waits for a worker; it may throw to abandon the join.
  using Write = std::function<void(QueuedPacket& packet)>;
  using Idle = std::function<void()>;

  SegmentJoiner(std::vector<SegmentQueue*> queues, std::vector<int64_t> join_from, const EncoderSeams& seams,
                Write write, Idle idle);

  // Returns when the output is complete. Throws a worker's failure, PlanMismatch when the segments
  // do not fit together, or what idle throws.
  void run();

  // The last segment whose packets the output ends with.
  std::size_t final_segment() const { return final_segment_; }

 private:
  // The segment's next packet, read ahead or from its queue; false once it has no more.
  bool next(std::size_t segment, QueuedPacket& packet);
  // The next packet from the segment's queue itself.
  bool take(std::size_t segment, QueuedPacket& packet);
  int64_t choose_switch(std::deque<QueuedPacket>& held, std::deque<QueuedPacket>& tail, std::size_t next_segment,
                        int64_t nominal);
  int64_t choose_mp3_switch(std::deque<QueuedPacket>& before, std::deque<QueuedPacket>& tail,
                            std::deque<QueuedPacket>& incoming, int64_t nominal);
  void hold(std::deque<QueuedPacket>& held, QueuedPacket packet);
  void write_all(std::deque<QueuedPacket>& packets, int64_t until);

  std::vector<SegmentQueue*> queues_;
  std::vector<int64_t> join_from_;
  EncoderSeams seams_;
  Write write_;
  Idle idle_;
  std::vector<std::deque<QueuedPacket>> read_ahead_;  // packets taken from a queue before their turn
  std::size_t final_segment_ = 0;
  Clock::time_point last_idle_;
};

}  // namespace enginebin
