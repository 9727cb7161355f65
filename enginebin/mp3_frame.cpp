#include "mp3_frame.h"

namespace enginebin {
namespace {

class BitReader {
 public:
  explicit BitReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  // nullopt once the bytes run out.
  std::optional<unsigned> read(int count) {
    unsigned value = 0;
    for (int i = 0; i < count; ++i, ++position_) {
      if (position_ / 8 >= bytes_.size()) return std::nullopt;
      value = (value << 1) | ((bytes_[position_ / 8] >> (7 - position_ % 8)) & 1u);
    }
    return value;
  }

  bool skip(int count) {
    position_ += static_cast<std::size_t>(count);
    return (position_ + 7) / 8 <= bytes_.size();
  }

 private:
  std::span<const uint8_t> bytes_;
  std::size_t position_ = 0;  // bits
};

}  // namespace

std::optional<Mp3FrameLayout> read_mp3_frame_layout(std::span<const uint8_t> frame) {
  if (frame.size() < 4 || frame[0] != 0xFF || (frame[1] & 0xE0) != 0xE0) return std::nullopt;
  const int version = (frame[1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
  const int layer = (frame[1] >> 1) & 3;    // 1: Layer III
  if (version == 1 || layer != 1) return std::nullopt;
  const bool has_crc = (frame[1] & 1) == 0;
  const bool mono = (frame[3] >> 6) == 3;
  const bool mpeg1 = version == 3;
  const int channels = mono ? 1 : 2;
  const int granules = mpeg1 ? 2 : 1;

  Mp3FrameLayout layout;
  const int side_info_bytes = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  layout.data_offset = 4 + (has_crc ? 2 : 0) + side_info_bytes;
  if (frame.size() < static_cast<std::size_t>(layout.data_offset)) return std::nullopt;

  BitReader side_info(frame.subspan(4 + (has_crc ? 2 : 0), side_info_bytes));
  const auto begin = side_info.read(mpeg1 ? 9 : 8);
  // Private bits, then (MPEG-1 only) the scale factor selection of each channel.
  if (!begin || !side_info.skip(mpeg1 ? (mono ? 5 : 3) + 4 * channels : (mono ? 1 : 2))) return std::nullopt;
  layout.main_data_begin = static_cast<int>(*begin);

  // Each granule of each channel: its part2_3_length (12 bits), then 47 (MPEG-1) or 51 more.
  int bits = 0;
  for (int i = 0; i < granules * channels; ++i) {
    const auto length = side_info.read(12);
    if (!length || !side_info.skip(mpeg1 ? 47 : 51)) return std::nullopt;
    bits += static_cast<int>(*length);
  }
  layout.main_data_bytes = (bits + 7) / 8;
  return layout;
}

}  // namespace enginebin
