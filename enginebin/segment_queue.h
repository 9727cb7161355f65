#pragma once
// What a worker of the parallel engine shares with the joiner: the encoded packets of its
// segment, in order, and how the worker ended. The worker appends while it runs; the joiner takes
// the packets when their turn comes, which for a later segment may be long after they were made.
// The first megabytes wait in memory, the rest in an unnamed temporary file that vanishes with
// the process however it ends: a segment that waits costs disk space, not memory.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <vector>

namespace enginebin {

struct QueuedPacket {
  int64_t position = 0;  // output samples: where the packet's audio starts in the whole output
  int64_t duration = 0;  // output samples
  std::vector<uint8_t> data;
  std::vector<uint8_t> skip_samples;  // the encoder's AV_PKT_DATA_SKIP_SAMPLES side data, if any
};

// What the joiner learns of a worker that ended without failing.
struct SegmentOutcome {
  bool input_ran_out = false;  // the input ended before the segment did
  int64_t decoded_end = 0;     // microseconds on the input's timeline
  int64_t samples_encoded = 0;
  int damaged_packets = 0;
};

class SegmentQueue {
 public:
  enum class Next { packet, finished, timeout };

  explicit SegmentQueue(std::size_t memory_limit = kDefaultMemoryLimit);
  ~SegmentQueue();
  SegmentQueue(const SegmentQueue&) = delete;
  SegmentQueue& operator=(const SegmentQueue&) = delete;

  // The worker's side. push() throws PlanMismatch when the temporary file cannot take the packet.
  void push(QueuedPacket packet);
  void finish(const SegmentOutcome& outcome);
  void fail(std::exception_ptr error);
  bool stop_requested() const { return stop_requested_.load(std::memory_order_relaxed); }
  void set_progress(int64_t encoded_until) { progress_.store(encoded_until, std::memory_order_relaxed); }

  // The joiner's side. next() waits up to the timeout for the next packet; finished means the
  // worker has ended (successfully or not) and every packet has been taken.
  Next next(QueuedPacket& packet, std::chrono::milliseconds timeout);
  void request_stop();
  bool ended() const;
  std::exception_ptr failure() const;
  SegmentOutcome outcome() const;
  // Output samples the worker has encoded up to (for progress only).
  int64_t progress() const { return progress_.load(std::memory_order_relaxed); }

  static constexpr std::size_t kDefaultMemoryLimit = 4 << 20;

 private:
  void write_record(const QueuedPacket& packet);       // into the spill buffer, by the worker
  void flush_spill();                                  // by the worker
  bool read_spilled();                                 // by the joiner: false when nothing is there yet
  void read_file(std::size_t size, std::size_t into);  // by the joiner, into read_buffer_

  const std::size_t memory_limit_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  // Guarded by mutex_. Packets in memory come before every packet in the file.
  std::deque<QueuedPacket> in_memory_;
  std::size_t memory_bytes_ = 0;
  bool spilling_ = false;  // the worker writes to the file from now on
  int64_t file_end_ = 0;   // bytes of whole records in the file
  bool joiner_waiting_ = false;
  bool ended_ = false;
  std::exception_ptr failure_;
  SegmentOutcome outcome_;

  // The worker's alone: records not yet in the file.
  std::vector<uint8_t> spill_buffer_;
  // The file: created and written by the worker, read by the joiner up to file_end_.
  int file_ = -1;
  std::string folder_;
  // The joiner's alone: packets taken, and how far it has read the file.
  std::deque<QueuedPacket> taken_;
  int64_t read_offset_ = 0;
  std::vector<uint8_t> read_buffer_;

  std::atomic<bool> stop_requested_{false};
  std::atomic<int64_t> progress_{0};
};

}  // namespace enginebin
