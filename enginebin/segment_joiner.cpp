#include "segment_joiner.h"

#include "engine_error.h"
#include "mp3_frame.h"

#include <chrono>
#include <limits>

namespace enginebin {
namespace {

constexpr auto kIdleInterval = std::chrono::milliseconds(100);
constexpr int64_t kEnd = std::numeric_limits<int64_t>::max();
// The look-back of an MP3 frame is at most 511 bytes.
constexpr int kLongestLookBack = 511;

struct Mp3Frame {
  QueuedPacket* packet;
  Mp3FrameLayout layout;
  int64_t main_position;  // bytes of main data space before this frame's own, in its stream

  int data_size() const { return static_cast<int>(packet->data.size()) - layout.data_offset; }
  // Where this frame's main data ends in its stream's main data space.
  int64_t data_end() const { return main_position - layout.main_data_begin + layout.main_data_bytes; }
};

Mp3FrameLayout layout_of(const QueuedPacket& packet) {
  const auto layout = read_mp3_frame_layout(packet.data);
  if (!layout || static_cast<std::size_t>(layout->data_offset) > packet.data.size())
    throw PlanMismatch("an encoded packet is no MP3 frame");
  return *layout;
}

std::vector<Mp3Frame> mp3_frames(std::initializer_list<std::deque<QueuedPacket>*> parts) {
  std::vector<Mp3Frame> frames;
  int64_t position = 0;
  for (auto* part : parts)
    for (QueuedPacket& packet : *part) {
      frames.push_back(Mp3Frame{&packet, layout_of(packet), position});
      position += frames.back().data_size();
    }
  return frames;
}

// The last count bytes of main data space before frames[end] (which must hold them).
std::vector<uint8_t> bytes_before(const std::vector<Mp3Frame>& frames, std::size_t end, int count) {
  std::vector<uint8_t> bytes(static_cast<std::size_t>(count));
  const int64_t first = frames[end].main_position - count;
  for (std::size_t i = 0; i < end; ++i) {
    const Mp3Frame& frame = frames[i];
    for (int b = 0; b < frame.data_size(); ++b) {
      const int64_t at = frame.main_position + b - first;
      if (at >= 0 && at < count)
        bytes[static_cast<std::size_t>(at)] =
            frame.packet->data[static_cast<std::size_t>(frame.layout.data_offset + b)];
    }
  }
  return bytes;
}

// Puts the bytes into the main data space just before frames[end].
void put_before(std::vector<Mp3Frame>& frames, std::size_t end, const std::vector<uint8_t>& bytes) {
  const int64_t first = frames[end].main_position - static_cast<int64_t>(bytes.size());
  for (std::size_t i = 0; i < end; ++i) {
    Mp3Frame& frame = frames[i];
    for (int b = 0; b < frame.data_size(); ++b) {
      const int64_t at = frame.main_position + b - first;
      if (at >= 0 && at < static_cast<int64_t>(bytes.size()))
        frame.packet->data[static_cast<std::size_t>(frame.layout.data_offset + b)] =
            bytes[static_cast<std::size_t>(at)];
    }
  }
}

std::size_t index_at(const std::vector<Mp3Frame>& frames, int64_t position) {
  for (std::size_t i = 0; i < frames.size(); ++i)
    if (frames[i].packet->position == position) return i;
  return frames.size();
}

}  // namespace

SegmentJoiner::SegmentJoiner(std::vector<SegmentQueue*> queues, std::vector<int64_t> join_from,
                             const EncoderSeams& seams, Write write, Idle idle)
    : queues_(std::move(queues)), join_from_(std::move(join_from)), seams_(seams), write_(std::move(write)),
      idle_(std::move(idle)), read_ahead_(queues_.size()), last_idle_(Clock::now()) {}

void SegmentJoiner::run() {
  int64_t from = 0;
  for (std::size_t k = 0; k < queues_.size(); ++k) {
    const bool last = k + 1 == queues_.size();
    const int64_t nominal = last ? kEnd : join_from_[k + 1];
    std::deque<QueuedPacket> held;  // before the next seam, kept while a switch could still patch them
    std::deque<QueuedPacket> tail;  // at or after the next seam's nominal place
    bool first = true;
    QueuedPacket packet;
    while (next(k, packet)) {
      if (packet.position < from) continue;
      if (first && k > 0 && packet.position != from)
        throw PlanMismatch("a segment does not continue where the previous one was left");
      first = false;
      if (packet.position < nominal) {
        hold(held, std::move(packet));
      } else {
        tail.push_back(std::move(packet));
      }
    }
    if (first && k > 0) throw PlanMismatch("a segment has nothing where the previous one was left");
    if (last || queues_[k]->outcome().input_ran_out) {
      // This segment reached the end of the input: the output ends with it.
      write_all(held, kEnd);
      write_all(tail, kEnd);
      final_segment_ = k;
      return;
    }
    from = choose_switch(held, tail, k + 1, nominal);
    write_all(held, from);
    write_all(tail, from);
  }
}

bool SegmentJoiner::next(std::size_t segment, QueuedPacket& packet) {
  if (!read_ahead_[segment].empty()) {
    packet = std::move(read_ahead_[segment].front());
    read_ahead_[segment].pop_front();
    return true;
  }
  return take(segment, packet);
}

bool SegmentJoiner::take(std::size_t segment, QueuedPacket& packet) {
  for (;;) {
    if (Clock::now() - last_idle_ >= kIdleInterval) {
      last_idle_ = Clock::now();
      idle_();
    }
    switch (queues_[segment]->next(packet, kIdleInterval)) {
      case SegmentQueue::Next::packet: return true;
      case SegmentQueue::Next::timeout: continue;
      case SegmentQueue::Next::finished:
        if (const auto failure = queues_[segment]->failure()) std::rethrow_exception(failure);
        return false;
    }
  }
}

void SegmentJoiner::hold(std::deque<QueuedPacket>& held, QueuedPacket packet) {
  if (seams_.kind != EncoderSeams::Kind::mp3_frames) {
    write_(packet);
    return;
  }
  held.push_back(std::move(packet));
  // A switch patches at most the last 511 bytes of main data space before the seam; frames that
  // lie wholly before those may go.
  int later = 0;
  for (std::size_t i = 1; i < held.size(); ++i)
    later += static_cast<int>(held[i].data.size()) - layout_of(held[i]).data_offset;
  while (held.size() > 1 && later > kLongestLookBack) {
    write_(held.front());
    held.pop_front();
    later -= static_cast<int>(held.front().data.size()) - layout_of(held.front()).data_offset;
  }
}

void SegmentJoiner::write_all(std::deque<QueuedPacket>& packets, int64_t until) {
  for (QueuedPacket& packet : packets)
    if (packet.position < until) write_(packet);
  packets.clear();
}

int64_t SegmentJoiner::choose_switch(std::deque<QueuedPacket>& held, std::deque<QueuedPacket>& tail,
                                     std::size_t next_segment, int64_t nominal) {
  if (seams_.kind != EncoderSeams::Kind::mp3_frames) return nominal;
  // The next segment's packets up to the last candidate, its warm-up included: the look-back bytes
  // come from there.
  const int64_t last_candidate = nominal + static_cast<int64_t>(seams_.search_frames) * seams_.frame_size;
  std::deque<QueuedPacket>& incoming = read_ahead_[next_segment];
  QueuedPacket packet;
  while ((incoming.empty() || incoming.back().position < last_candidate) && take(next_segment, packet))
    incoming.push_back(std::move(packet));
  return choose_mp3_switch(held, tail, incoming, nominal);
}

int64_t SegmentJoiner::choose_mp3_switch(std::deque<QueuedPacket>& held, std::deque<QueuedPacket>& tail,
                                         std::deque<QueuedPacket>& incoming, int64_t nominal) {
  std::vector<Mp3Frame> ending = mp3_frames({&held, &tail});
  const std::vector<Mp3Frame> starting = mp3_frames({&incoming});
  for (int i = 0; i < seams_.search_frames; ++i) {
    const int64_t position = nominal + static_cast<int64_t>(i) * seams_.frame_size;
    const std::size_t replaced = index_at(ending, position);
    const std::size_t switched = index_at(starting, position);
    if (replaced == 0 || replaced == ending.size() || switched == starting.size()) continue;
    const int look_back = starting[switched].layout.main_data_begin;
    // Space after the data of the last frame kept, up to the replaced frame: data of replaced
    // frames only, free once they are gone.
    const int64_t free = ending[replaced].main_position - ending[replaced - 1].data_end();
    if (look_back > free || look_back > ending[replaced].main_position || look_back > starting[switched].main_position)
      continue;
    put_before(ending, replaced, bytes_before(starting, switched, look_back));
    return position;
  }
  throw PlanMismatch("no MP3 frame at a seam has a look-back that fits");
}

}  // namespace enginebin
