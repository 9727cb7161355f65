#pragma once
// A bounded channel from one producing thread to one consuming thread that hands items over in
// batches, so that the lock and the wake-ups cost once a batch rather than once an item (tens of
// thousands of decoded frames in a long file). The items themselves go round: a batch the consumer
// is done with comes back to the producer, whose slots are then the very objects it filled before,
// so that no item is allocated on one thread and freed on the other.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
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

  // The producer's side. slot() is the item to fill next: a new one, or one that went round and
  // still holds whatever the consumer left in it. commit() sends it; false once the consumer has
  // cancelled.
  T& slot() {
    if (filled_ == pending_.size()) pending_.emplace_back();
    return pending_[filled_];
  }
  bool commit() { return ++filled_ < batch_size_ || hand_over(); }
  // The end of the items; a failure is rethrown to the consumer after every item before it.
  void finish(std::exception_ptr failure = nullptr) {
    if (filled_ > 0) hand_over();
    const std::lock_guard lock(mutex_);
    finished_ = true;
    // Moved, so that the consumer holds the only reference and the producer never frees it.
    failure_ = std::move(failure);
    changed_.notify_all();
  }

  // The consumer's side: the next item, the consumer's until it asks again; null at the end.
  T* next() {
    if (taken_index_ == taken_.count && !take_batch()) return nullptr;
    return &taken_.items[taken_index_++];
  }
  // The consumer goes: every wait ends, the producer's commits fail and next() ends from now on.
  void cancel() {
    const std::lock_guard lock(mutex_);
    cancelled_ = true;
    changed_.notify_all();
  }

 private:
  struct Batch {
    std::vector<T> items;
    std::size_t count = 0;  // the items filled, at the front
  };

  bool hand_over() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return cancelled_ || batches_.size() < capacity_; });
    if (cancelled_) return false;
    batches_.push_back(Batch{std::move(pending_), filled_});
    pending_.clear();
    if (!returned_.empty()) {
      pending_ = std::move(returned_.back());
      returned_.pop_back();
    }
    filled_ = 0;
    changed_.notify_all();
    return true;
  }

  bool take_batch() {
    std::unique_lock lock(mutex_);
    if (!taken_.items.empty()) returned_.push_back(std::exchange(taken_.items, {}));
    taken_.count = taken_index_ = 0;
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
  std::deque<Batch> batches_;
  std::vector<std::vector<T>> returned_;
  bool finished_ = false;
  bool cancelled_ = false;
  std::exception_ptr failure_;
  // The producer's alone.
  std::vector<T> pending_;
  std::size_t filled_ = 0;
  // The consumer's alone.
  Batch taken_;
  std::size_t taken_index_ = 0;
};

}  // namespace enginebin
