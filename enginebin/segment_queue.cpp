#include "segment_queue.h"

#include "console.h"
#include "engine_error.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace enginebin {
namespace {

// Records go to and come from the file in pieces of about this size.
constexpr std::size_t kFilePiece = 1 << 20;
// The joiner is woken when this many packets or bytes wait for it.
constexpr std::size_t kWakingBatch = 64;
constexpr std::size_t kWakingBytes = 256 << 10;

struct RecordHeader {
  int64_t position;
  int64_t duration;
  uint32_t data_size;
  uint32_t skip_size;
};

std::string temporary_folder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && *folder != 0 ? folder : "/tmp";
}

// A file without a name: nothing is left behind, whatever ends the process.
int create_unnamed_file(const std::string& folder) {
  const int file = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (file >= 0) return file;
  std::string name = folder + "/sonvarra-segment-XXXXXX";
  const int named = mkostemp(name.data(), O_CLOEXEC);
  if (named >= 0) unlink(name.c_str());
  return named;
}

// The sequential engine needs no temporary space: without it, the work falls to that.
[[noreturn]] void throw_file_error(const std::string& folder, int error) {
  throw PlanMismatch(
      format_text("the temporary folder '%s' cannot hold a segment (%s)", folder.c_str(), std::strerror(error)));
}

void append(std::vector<uint8_t>& bytes, const void* data, std::size_t size) {
  const auto* first = static_cast<const uint8_t*>(data);
  bytes.insert(bytes.end(), first, first + size);
}

}  // namespace

SegmentQueue::SegmentQueue(std::size_t memory_limit) : memory_limit_(memory_limit) {}

SegmentQueue::~SegmentQueue() {
  if (file_ >= 0) close(file_);
}

void SegmentQueue::push(QueuedPacket packet) {
  std::unique_lock lock(mutex_);
  const std::size_t size = packet.data.size() + packet.skip_samples.size();
  if (!spilling_ && memory_bytes_ + size <= memory_limit_) {
    memory_bytes_ += size;
    in_memory_.push_back(std::move(packet));
    // A waiting joiner is woken for a batch, not for every packet: it looks by itself often enough.
    if (joiner_waiting_ && (in_memory_.size() >= kWakingBatch || memory_bytes_ >= kWakingBytes)) changed_.notify_one();
    return;
  }
  spilling_ = true;
  lock.unlock();
  write_record(packet);
  if (spill_buffer_.size() >= kFilePiece) flush_spill();
}

void SegmentQueue::write_record(const QueuedPacket& packet) {
  const RecordHeader header{packet.position, packet.duration, static_cast<uint32_t>(packet.data.size()),
                            static_cast<uint32_t>(packet.skip_samples.size())};
  append(spill_buffer_, &header, sizeof header);
  append(spill_buffer_, packet.data.data(), packet.data.size());
  append(spill_buffer_, packet.skip_samples.data(), packet.skip_samples.size());
}

void SegmentQueue::flush_spill() {
  if (spill_buffer_.empty()) return;
  if (file_ < 0) {
    folder_ = temporary_folder();
    file_ = create_unnamed_file(folder_);
    if (file_ < 0) throw_file_error(folder_, errno);
  }
  int64_t offset;
  {
    std::lock_guard lock(mutex_);
    offset = file_end_;
  }
  // Beyond file_end_ the joiner reads nothing, so the writing needs no lock.
  std::size_t written = 0;
  while (written < spill_buffer_.size()) {
    const ssize_t count = pwrite(file_, spill_buffer_.data() + written, spill_buffer_.size() - written,
                                 offset + static_cast<int64_t>(written));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) throw_file_error(folder_, count < 0 ? errno : ENOSPC);
    written += static_cast<std::size_t>(count);
  }
  std::lock_guard lock(mutex_);
  file_end_ += static_cast<int64_t>(written);
  spill_buffer_.clear();
  if (joiner_waiting_) changed_.notify_one();
}

void SegmentQueue::finish(const SegmentOutcome& outcome) {
  try {
    flush_spill();
  } catch (...) {
    fail(std::current_exception());
    return;
  }
  std::lock_guard lock(mutex_);
  outcome_ = outcome;
  ended_ = true;
  changed_.notify_all();
}

void SegmentQueue::fail(std::exception_ptr error) {
  std::lock_guard lock(mutex_);
  failure_ = std::move(error);
  ended_ = true;
  changed_.notify_all();
}

void SegmentQueue::read_file(std::size_t size, std::size_t into) {
  read_buffer_.resize(into + size);
  std::size_t got = 0;
  while (got < size) {
    const ssize_t count =
        pread(file_, read_buffer_.data() + into + got, size - got, read_offset_ + static_cast<int64_t>(into + got));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0)
      throw EngineError(format_text("Could not read back a temporary file (%s)",
                                    count < 0 ? std::strerror(errno) : "it is shorter than written"));
    got += static_cast<std::size_t>(count);
  }
}

bool SegmentQueue::read_spilled() {
  int64_t end;
  {
    std::lock_guard lock(mutex_);
    end = file_end_;
  }
  if (end <= read_offset_) return false;
  // The file holds whole records up to its end: a piece holds at least the first one's header.
  std::size_t size = static_cast<std::size_t>(std::min<int64_t>(end - read_offset_, kFilePiece));
  read_file(size, 0);
  RecordHeader header;
  std::memcpy(&header, read_buffer_.data(), sizeof header);
  const std::size_t first = sizeof header + header.data_size + header.skip_size;
  if (first > size) {
    read_file(first - size, size);  // a record larger than a piece is read whole
    size = first;
  }
  std::size_t at = 0;
  while (at + sizeof header <= size) {
    std::memcpy(&header, read_buffer_.data() + at, sizeof header);
    const std::size_t record = sizeof header + header.data_size + header.skip_size;
    if (at + record > size) break;  // cut by the piece's end: read with the next piece
    QueuedPacket packet;
    packet.position = header.position;
    packet.duration = header.duration;
    const uint8_t* data = read_buffer_.data() + at + sizeof header;
    packet.data.assign(data, data + header.data_size);
    packet.skip_samples.assign(data + header.data_size, data + header.data_size + header.skip_size);
    taken_.push_back(std::move(packet));
    at += record;
  }
  read_offset_ += static_cast<int64_t>(at);
  return true;
}

SegmentQueue::Next SegmentQueue::next(QueuedPacket& packet, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (taken_.empty()) {
    std::unique_lock lock(mutex_);
    if (!in_memory_.empty()) {
      taken_.swap(in_memory_);
      memory_bytes_ = 0;
      break;
    }
    const bool file_has_more = file_end_ > read_offset_;
    const bool ended = ended_;
    lock.unlock();
    if (file_has_more) {
      if (read_spilled()) break;
      continue;
    }
    if (ended) return Next::finished;
    lock.lock();
    joiner_waiting_ = true;
    const bool woken = changed_.wait_until(
        lock, deadline, [this] { return !in_memory_.empty() || file_end_ > read_offset_ || ended_; });
    joiner_waiting_ = false;
    if (!woken) return Next::timeout;
  }
  packet = std::move(taken_.front());
  taken_.pop_front();
  return Next::packet;
}

void SegmentQueue::request_stop() { stop_requested_.store(true, std::memory_order_relaxed); }

bool SegmentQueue::ended() const {
  std::lock_guard lock(mutex_);
  return ended_;
}

std::exception_ptr SegmentQueue::failure() const {
  std::lock_guard lock(mutex_);
  return failure_;
}

SegmentOutcome SegmentQueue::outcome() const {
  std::lock_guard lock(mutex_);
  return outcome_;
}

}  // namespace enginebin
