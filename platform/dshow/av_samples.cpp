#include "platform/dshow/av_samples.h"

extern "C" {
#include <libavutil/imgutils.h>
}

namespace dshow {

PacketSample::PacketSample(PacketPtr packet) : packet_(std::move(packet)) { actualLength_ = packet_->size; }

HRESULT PacketSample::QueryExtra(REFIID riid, void** object) {
  if (riid == IID_IAVPacketSample) return Hand(static_cast<IAVPacketSample*>(this), object);
  return E_NOINTERFACE;
}

HRESULT PacketSample::GetPointer(BYTE** ppBuffer) {
  if (!ppBuffer) return E_POINTER;
  *ppBuffer = packet_->data;
  return S_OK;
}

LONG PacketSample::GetSize() { return packet_->size; }

FrameSample::FrameSample(FramePtr frame, AVPixelFormat packedFormat, int width, int height)
    : frame_(std::move(frame)), packedFormat_(packedFormat), width_(width), height_(height),
      size_(PackedSize(packedFormat, width, height)) {
  actualLength_ = size_;
}

LONG FrameSample::PackedSize(AVPixelFormat format, int width, int height) {
  const int size = av_image_get_buffer_size(format, width, height, 1);
  return size > 0 ? size : 0;
}

HRESULT FrameSample::QueryExtra(REFIID riid, void** object) {
  if (riid == IID_IAVFrameSample) return Hand(static_cast<IAVFrameSample*>(this), object);
  return E_NOINTERFACE;
}

HRESULT FrameSample::GetPointer(BYTE** ppBuffer) {
  if (!ppBuffer) return E_POINTER;
  *ppBuffer = nullptr;
  if (packed_.empty() && !Pack()) return E_OUTOFMEMORY;
  *ppBuffer = packed_.data();
  return S_OK;
}

bool FrameSample::Pack() {
  if (size_ <= 0) return false;
  packed_.assign(static_cast<std::size_t>(size_), 0);
  const AVFrame& f = *frame_;
  if (f.format == packedFormat_ && f.width == width_ && f.height == height_) {
    return av_image_copy_to_buffer(packed_.data(), size_, f.data, f.linesize, packedFormat_, width_, height_, 1) >= 0;
  }
  uint8_t* planes[4];
  int strides[4];
  if (av_image_fill_arrays(planes, strides, packed_.data(), packedFormat_, width_, height_, 1) < 0) return false;
  SwsPtr scaler(sws_getContext(f.width, f.height, static_cast<AVPixelFormat>(f.format), width_, height_, packedFormat_,
                               SWS_BILINEAR, nullptr, nullptr, nullptr));
  if (!scaler) return false;
  sws_scale(scaler.get(), f.data, f.linesize, 0, f.height, planes, strides);
  return true;
}

}  // namespace dshow
