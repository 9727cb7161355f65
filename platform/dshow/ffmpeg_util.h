// Owners of the FFmpeg library objects and the time conversions between FFmpeg and the graph.
#pragma once

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "platform/dshow/media_types.h"

namespace dshow {

struct FormatContextCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecContextFreer {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct PacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameFreer {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct SwsFreer {
  void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct SwrFreer {
  void operator()(SwrContext* context) const { swr_free(&context); }
};
using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextCloser>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFreer>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFreer>;

inline constexpr AVRational kReferenceTimeBase{1, static_cast<int>(UNITS)};

inline REFERENCE_TIME ToReferenceTime(int64_t timestamp, AVRational timeBase) {
  return av_rescale_q(timestamp, timeBase, kReferenceTimeBase);
}
inline int64_t FromReferenceTime(REFERENCE_TIME time, AVRational timeBase) {
  return av_rescale_q(time, kReferenceTimeBase, timeBase);
}

}  // namespace dshow
