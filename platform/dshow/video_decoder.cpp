// The video decoder: compressed video in, decoded pictures out (I420, NV12, YUY2 or UYVY with the
// stream's colour description), delivered as samples that carry the picture itself.
//
// Nothing is decoded while nobody downstream wants pictures; decoding resumes at the next key frame.
// Pictures already late by the clock are not delivered.
#include "platform/dshow/filter_factories.h"

#include <cstdlib>

#include "platform/dshow/av_samples.h"
#include "platform/dshow/class_ids.h"
#include "platform/dshow/decoder_filter.h"

namespace dshow {
namespace {

// The packet queue holds a few seconds of pictures: enough for how files interleave their streams.
constexpr std::size_t kMaxPackets = 150;
constexpr std::size_t kMaxBytes = 16u << 20;

struct PictureLayout {
  GUID subtype;
  AVPixelFormat packed;
  WORD bitCount;
};

PictureLayout LayoutFor(int format) {
  switch (format) {
    case AV_PIX_FMT_NV12: return {MEDIASUBTYPE_NV12, AV_PIX_FMT_NV12, 12};
    case AV_PIX_FMT_YUYV422: return {MEDIASUBTYPE_YUY2, AV_PIX_FMT_YUYV422, 16};
    case AV_PIX_FMT_UYVY422: return {MEDIASUBTYPE_UYVY, AV_PIX_FMT_UYVY422, 16};
    default:  // I420 itself, or converted to it when the packed buffer is asked for
      return {MEDIASUBTYPE_I420, AV_PIX_FMT_YUV420P, 12};
  }
}

// The extended colour format of the control flags: nominal range and transfer matrix.
DWORD ColourFlags(const AVCodecParameters& p) {
  DWORD range = 0;
  if (p.color_range == AVCOL_RANGE_JPEG || p.format == AV_PIX_FMT_YUVJ420P || p.format == AV_PIX_FMT_YUVJ422P ||
      p.format == AV_PIX_FMT_YUVJ444P)
    range = 1;  // 0-255
  else if (p.color_range == AVCOL_RANGE_MPEG)
    range = 2;  // 16-235
  DWORD matrix = 0;
  if (p.color_space == AVCOL_SPC_BT709)
    matrix = 1;
  else if (p.color_space == AVCOL_SPC_BT470BG || p.color_space == AVCOL_SPC_SMPTE170M)
    matrix = 2;
  else if (p.color_space == AVCOL_SPC_SMPTE240M)
    matrix = 3;
  if (!range && !matrix) return 0;
  return AMCONTROL_USED | AMCONTROL_COLORINFO_PRESENT | (range << 12) | (matrix << 15);
}

class VideoDecoder final : public DecoderFilter {
 public:
  VideoDecoder() : DecoderFilter(CLSID_FFmpegVideoDecoder, kMaxPackets, kMaxBytes) {}
  ~VideoDecoder() override { Stop(); }

 private:
  HRESULT CheckInputType(const AM_MEDIA_TYPE& mt) override {
    if (mt.majortype != MEDIATYPE_Video) return S_FALSE;
    AVCodecParameters* parameters = avcodec_parameters_alloc();
    const bool ok = ReadStreamMediaType(mt, parameters, nullptr) && parameters->width > 0 && parameters->height > 0 &&
                    avcodec_find_decoder(parameters->codec_id) != nullptr;
    avcodec_parameters_free(&parameters);
    return ok ? S_OK : S_FALSE;
  }

  HRESULT SetInputType(const AM_MEDIA_TYPE& mt) override {
    parameters_.reset(avcodec_parameters_alloc());
    if (!parameters_ || !ReadStreamMediaType(mt, parameters_.get(), &description_)) return VFW_E_TYPE_NOT_ACCEPTED;
    layout_ = LayoutFor(parameters_->format);
    width_ = parameters_->width;
    height_ = parameters_->height;
    return S_OK;
  }

  bool OutputType(int index, MediaType& mt) override {
    if (!parameters_ || index < 0 || index > 1) return false;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width_;
    header.biHeight = height_;
    header.biPlanes = 1;
    header.biBitCount = layout_.bitCount;
    header.biCompression = layout_.subtype.Data1;
    header.biSizeImage = static_cast<DWORD>(FrameSample::PackedSize(layout_.packed, width_, height_));
    const REFERENCE_TIME frameTime =
        description_.frameRate.num > 0 ? av_rescale(UNITS, description_.frameRate.den, description_.frameRate.num) : 0;
    mt = MediaType();
    mt->majortype = MEDIATYPE_Video;
    mt->subtype = layout_.subtype;
    mt->bFixedSizeSamples = TRUE;
    mt->lSampleSize = header.biSizeImage;
    if (index == 0) {
      VIDEOINFOHEADER2 info{};
      info.rcSource = info.rcTarget = RECT{0, 0, width_, height_};
      info.AvgTimePerFrame = frameTime;
      AVRational aspect{width_, height_};
      if (parameters_->sample_aspect_ratio.num > 0 && parameters_->sample_aspect_ratio.den > 0)
        aspect = av_mul_q(aspect, parameters_->sample_aspect_ratio);
      av_reduce(&aspect.num, &aspect.den, aspect.num, aspect.den, 1 << 20);
      info.dwPictAspectRatioX = static_cast<DWORD>(aspect.num);
      info.dwPictAspectRatioY = static_cast<DWORD>(aspect.den);
      info.dwControlFlags = ColourFlags(*parameters_);
      info.bmiHeader = header;
      mt->formattype = FORMAT_VideoInfo2;
      mt.SetFormat(&info, sizeof info);
    } else {
      VIDEOINFOHEADER info{};
      info.rcSource = info.rcTarget = RECT{0, 0, width_, height_};
      info.AvgTimePerFrame = frameTime;
      info.bmiHeader = header;
      mt->formattype = FORMAT_VideoInfo;
      mt.SetFormat(&info, sizeof info);
    }
    return true;
  }

  HRESULT CheckOutputType(const AM_MEDIA_TYPE& mt) override {
    if (!parameters_ || mt.majortype != MEDIATYPE_Video || mt.subtype != layout_.subtype) return S_FALSE;
    const BITMAPINFOHEADER* header = BitmapHeaderOf(mt);
    if (!header || header->biWidth != width_ || std::abs(header->biHeight) != height_) return S_FALSE;
    return S_OK;
  }

  void Decode(AVPacket* packet, bool discontinuity) override {
    if (!output_.DownstreamWantsFrames()) {
      if (fed_) FlushCodec();
      needKeyFrame_ = true;
      return;
    }
    if (discontinuity && fed_) FlushCodec();
    if (needKeyFrame_ && !(packet->flags & AV_PKT_FLAG_KEY)) return;
    needKeyFrame_ = false;
    if (!codec_) {
      codec_ = OpenCodec(*parameters_, description_.timeBase, true);
      if (!codec_) return;
    }
    CountDecoded();
    fed_ = true;
    while (avcodec_send_packet(codec_.get(), packet) == AVERROR(EAGAIN)) {
      if (!ReceivePictures()) return;
    }
    ReceivePictures();
  }

  void Drain() override {
    if (!codec_ || !fed_) return;
    avcodec_send_packet(codec_.get(), nullptr);
    ReceivePictures();
    FlushCodec();
  }

  void FlushCodec() override {
    if (codec_) avcodec_flush_buffers(codec_.get());
    deliveredSinceFlush_ = false;
    fed_ = false;
    needKeyFrame_ = true;
    nextStart_ = AV_NOPTS_VALUE;
  }

  void CloseCodec() override {
    codec_.reset();
    deliveredSinceFlush_ = false;
    fed_ = false;
    needKeyFrame_ = true;
    nextStart_ = AV_NOPTS_VALUE;
  }

  // False when the codec had nothing to give.
  bool ReceivePictures() {
    bool any = false;
    if (!frame_) frame_.reset(av_frame_alloc());
    while (avcodec_receive_frame(codec_.get(), frame_.get()) == 0) {
      any = true;
      DeliverPicture();
    }
    return any;
  }

  void DeliverPicture() {
    const int64_t pts = frame_->best_effort_timestamp;
    REFERENCE_TIME start;
    if (pts != AV_NOPTS_VALUE) {
      start = ToReferenceTime(pts, description_.timeBase) - description_.fileStart - SegmentStart();
    } else if (nextStart_ != AV_NOPTS_VALUE) {
      start = nextStart_;
    } else {
      av_frame_unref(frame_.get());
      return;
    }
    REFERENCE_TIME length = 0;
    if (description_.frameRate.num > 0)
      length = av_rescale(UNITS, description_.frameRate.den, description_.frameRate.num);
    if (length <= 0 && frame_->pkt_duration > 0) length = ToReferenceTime(frame_->pkt_duration, description_.timeBase);
    if (length <= 0) length = UNITS / 25;
    REFERENCE_TIME stop = start + length;
    nextStart_ = stop;
    REFERENCE_TIME now = 0;
    // Before the segment, after its end, or late by more than a picture (the first one of a
    // segment always goes): decoded for the pictures that follow only.
    const bool late = deliveredSinceFlush_ && StreamTimeNow(now) && stop + length < now;
    if (stop <= 0 || start >= SegmentLength() || late) {
      av_frame_unref(frame_.get());
      return;
    }
    FramePtr picture(av_frame_alloc());
    av_frame_move_ref(picture.get(), frame_.get());
    const bool key = picture->key_frame != 0;
    auto* sample = new FrameSample(std::move(picture), layout_.packed, width_, height_);
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(key);
    if (DeliverSample(sample) == S_OK) CountDelivered();
    deliveredSinceFlush_ = true;
    sample->Release();
  }

  std::unique_ptr<AVCodecParameters, void (*)(AVCodecParameters*)> parameters_{
      nullptr, [](AVCodecParameters* p) { avcodec_parameters_free(&p); }};
  StreamDescription description_;
  PictureLayout layout_{MEDIASUBTYPE_I420, AV_PIX_FMT_YUV420P, 12};
  int width_ = 0;
  int height_ = 0;

  // Streaming thread only:
  CodecContextPtr codec_;
  FramePtr frame_;
  bool fed_ = false;
  bool needKeyFrame_ = true;
  bool deliveredSinceFlush_ = false;
  REFERENCE_TIME nextStart_ = AV_NOPTS_VALUE;
};

}  // namespace

HRESULT CreateVideoDecoder(IUnknown* outer, REFIID riid, void** object) {
  return CreateFilterInstance<VideoDecoder>(outer, riid, object);
}

}  // namespace dshow
