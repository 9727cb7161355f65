// The bounded queue of compressed packets in front of a decoder's streaming thread. Not locked
// itself: the decoder guards it with its own lock.
#pragma once

#include <cstddef>
#include <deque>

#include "platform/dshow/ffmpeg_util.h"

namespace dshow {

struct QueuedPacket {
  PacketPtr packet;            // null marks the end of the stream
  bool discontinuity = false;  // the stream jumped (after a resynchronisation)
};

class PacketQueue {
 public:
  PacketQueue(std::size_t maxPackets, std::size_t maxBytes) : maxPackets_(maxPackets), maxBytes_(maxBytes) {}

  // Full once either limit is reached; the end-of-stream mark never counts.
  bool Full() const { return packets_.size() >= maxPackets_ || bytes_ >= maxBytes_; }
  bool Empty() const { return packets_.empty(); }
  void Push(QueuedPacket item) {
    if (item.packet) bytes_ += static_cast<std::size_t>(item.packet->size);
    packets_.push_back(std::move(item));
  }
  QueuedPacket Pop() {
    QueuedPacket item = std::move(packets_.front());
    packets_.pop_front();
    if (item.packet) bytes_ -= static_cast<std::size_t>(item.packet->size);
    return item;
  }
  void Clear() {
    packets_.clear();
    bytes_ = 0;
  }

 private:
  std::size_t maxPackets_;
  std::size_t maxBytes_;
  std::deque<QueuedPacket> packets_;
  std::size_t bytes_ = 0;
};

}  // namespace dshow
