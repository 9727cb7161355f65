#pragma once
// A bounded channel from one producing thread to one consuming thread that hands items over in
// batches, so that the lock and the wake-ups cost once a batch rather than once an item (tens of
// thousands of decoded frames in a long file).

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace enginebin {

template <class T>
class BatchChannel {
 public:
  // batch_size items make a batch; the producer waits while `capacity` batches wait.
  BatchChannel(std::size_t batch_size, std::size_t capacity) : batch_size_(batch_size), capacity_(capacity) {}
  BatchChannel(const BatchChannel&) = delete;
  BatchChannel& operator=(const BatchChannel&) = delete;

  // The producer's side. push() returns false once the consumer has cancelled.
  bool push(T item) {
    pending_.push_back(std::move(item));
    return pending_.size() < batch_size_ || hand_over();
  }
  // The end of the items; a failure is rethrown to the consumer after every item before it.
  void finish(std::exception_ptr failure = nullptr) {
    if (!pending_.empty()) hand_over();
    const std::lock_guard lock(mutex_);
    finished_ = true;
    failure_ = failure;
    changed_.notify_all();
  }

  // The consumer's side: the next item, or nullopt at the end.
  std::optional<T> pop() {
    if (taken_index_ == taken_.size() && !take_batch()) return std::nullopt;
    return std::move(taken_[taken_index_++]);
  }
  // The consumer goes: every wait ends, the producer's pushes fail and pop() ends from now on.
  void cancel() {
    const std::lock_guard lock(mutex_);
    cancelled_ = true;
    changed_.notify_all();
  }

 private:
  bool hand_over() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return cancelled_ || batches_.size() < capacity_; });
    if (cancelled_) return false;
    if (!pending_.empty()) batches_.push_back(std::exchange(pending_, {}));
    changed_.notify_all();
    return true;
  }

  bool take_batch() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !batches_.empty() || finished_ || cancelled_; });
    if (cancelled_) return false;
    if (batches_.empty()) {
      if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
      return false;
    }
    taken_ = std::move(batches_.front());
    batches_.pop_front();
    taken_index_ = 0;
    changed_.notify_all();
    return true;
  }

  const std::size_t batch_size_;
  const std::size_t capacity_;
  std::mutex mutex_;
  std::condition_variable changed_;
  // Guarded by mutex_.
  std::deque<std::vector<T>> batches_;
  bool finished_ = false;
  bool cancelled_ = false;
  std::exception_ptr failure_;
  // The producer's alone.
  std::vector<T> pending_;
  // The consumer's alone.
  std::vector<T> taken_;
  std::size_t taken_index_ = 0;
};

}  // namespace enginebin
