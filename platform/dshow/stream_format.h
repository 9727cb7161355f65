// The media type of a compressed stream between the source filter and the decoders: the stream's
// codec parameters, time base and start time, carried in a format block of our own.
#pragma once

#include "platform/dshow/ffmpeg_util.h"
#include "platform/dshow/media_type.h"

namespace dshow {

inline constexpr GUID FORMAT_FFmpegStream = {
    0xAF226C5A, 0x282A, 0x4E20, {0xB0, 0x44, 0x1F, 0x8E, 0x27, 0x3E, 0xB6, 0xD9}};

struct StreamDescription {
  AVRational timeBase{1, 1};
  REFERENCE_TIME fileStart = 0;  // the container's start time; stream times count from it
  AVRational frameRate{0, 1};    // 0 when the stream has none
};

// The media type of one stream; the subtype is the codec's FOURCC or tag where it has one.
MediaType StreamMediaType(const AVStream& stream, REFERENCE_TIME fileStart);
// Fills parameters (allocated by the caller) from such a media type; false when it is not one.
bool ReadStreamMediaType(const AM_MEDIA_TYPE& mt, AVCodecParameters* parameters, StreamDescription* description);

}  // namespace dshow
