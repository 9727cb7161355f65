#pragma once
// The parts of an MPEG audio Layer III frame that decide where its main data lies. A frame's
// main data may begin up to 511 bytes before its header, in space that earlier frames left
// unused (the bit reservoir); the joiner needs this to splice two encoders' streams.

#include <cstdint>
#include <optional>
#include <span>

namespace enginebin {

struct Mp3FrameLayout {
  int data_offset = 0;      // bytes from the header to the frame's own main data space
  int main_data_begin = 0;  // bytes of its main data that lie before that space
  int main_data_bytes = 0;  // length of its main data (all granules and channels)
};

// nullopt when the bytes are no complete Layer III frame.
std::optional<Mp3FrameLayout> read_mp3_frame_layout(std::span<const uint8_t> frame);

}  // namespace enginebin
