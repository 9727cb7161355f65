#include "segment_queue.h"

#include "console.h"
#include "engine_error.h"

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace enginebin {
namespace {

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

void write_all(int file, const iovec* parts, int count, int64_t offset, const std::string& folder) {
  std::vector<iovec> left(parts, parts + count);
  std::size_t first = 0;
  while (first < left.size()) {
    const ssize_t written = pwritev(file, left.data() + first, static_cast<int>(left.size() - first), offset);
    if (written < 0) {
      if (errno == EINTR) continue;
      throw_file_error(folder, errno);
    }
    offset += written;
    auto remaining = static_cast<std::size_t>(written);
    while (first < left.size() && remaining >= left[first].iov_len) remaining -= left[first++].iov_len;
    if (first < left.size()) {
      left[first].iov_base = static_cast<char*>(left[first].iov_base) + remaining;
      left[first].iov_len -= remaining;
    }
  }
}

void read_all(int file, void* into, std::size_t size, int64_t offset) {
  auto* bytes = static_cast<char*>(into);
  while (size > 0) {
    const ssize_t got = pread(file, bytes, size, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0)
      throw EngineError(format_text("Could not read back a temporary file (%s)",
                                    got < 0 ? std::strerror(errno) : "it is shorter than written"));
    bytes += got;
    size -= static_cast<std::size_t>(got);
    offset += got;
  }
}

}  // namespace

SegmentQueue::SegmentQueue(std::size_t memory_limit) : memory_limit_(memory_limit) {}

SegmentQueue::~SegmentQueue() {
  if (file_ >= 0) close(file_);
}

void SegmentQueue::push(QueuedPacket packet) {
  std::lock_guard lock(mutex_);
  const std::size_t size = packet.data.size() + packet.skip_samples.size();
  if (file_packets_ == 0 && memory_bytes_ + size <= memory_limit_) {
    memory_bytes_ += size;
    in_memory_.push_back(std::move(packet));
  } else {
    spill(packet);
  }
  changed_.notify_all();
}

void SegmentQueue::spill(const QueuedPacket& packet) {
  const std::string folder = temporary_folder();
  if (file_ < 0) {
    file_ = create_unnamed_file(folder);
    if (file_ < 0) throw_file_error(folder, errno);
  }
  RecordHeader header{packet.position, packet.duration, static_cast<uint32_t>(packet.data.size()),
                      static_cast<uint32_t>(packet.skip_samples.size())};
  const iovec parts[] = {{&header, sizeof header},
                         {const_cast<uint8_t*>(packet.data.data()), packet.data.size()},
                         {const_cast<uint8_t*>(packet.skip_samples.data()), packet.skip_samples.size()}};
  write_all(file_, parts, 3, file_write_offset_, folder);
  file_write_offset_ += static_cast<int64_t>(sizeof header + packet.data.size() + packet.skip_samples.size());
  ++file_packets_;
}

QueuedPacket SegmentQueue::read_spilled() {
  RecordHeader header{};
  read_all(file_, &header, sizeof header, file_read_offset_);
  file_read_offset_ += sizeof header;
  QueuedPacket packet;
  packet.position = header.position;
  packet.duration = header.duration;
  packet.data.resize(header.data_size);
  packet.skip_samples.resize(header.skip_size);
  read_all(file_, packet.data.data(), header.data_size, file_read_offset_);
  file_read_offset_ += header.data_size;
  read_all(file_, packet.skip_samples.data(), header.skip_size, file_read_offset_);
  file_read_offset_ += header.skip_size;
  --file_packets_;
  if (file_packets_ == 0) {
    // Drained: the next packets may wait in memory again, and the file starts over.
    file_read_offset_ = file_write_offset_ = 0;
    if (ftruncate(file_, 0) != 0) {
      // Only space is lost; the offsets start over all the same.
    }
  }
  return packet;
}

void SegmentQueue::finish(const SegmentOutcome& outcome) {
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

SegmentQueue::Next SegmentQueue::next(QueuedPacket& packet, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  const bool ready =
      changed_.wait_for(lock, timeout, [this] { return !in_memory_.empty() || file_packets_ > 0 || ended_; });
  if (!ready) return Next::timeout;
  if (!in_memory_.empty()) {
    packet = std::move(in_memory_.front());
    in_memory_.pop_front();
    memory_bytes_ -= packet.data.size() + packet.skip_samples.size();
    return Next::packet;
  }
  if (file_packets_ > 0) {
    packet = read_spilled();
    return Next::packet;
  }
  return Next::finished;
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
