// Samples that carry an FFmpeg packet or decoded picture without copying it.
#pragma once

#include <vector>

#include "platform/dshow/ffmpeg_util.h"
#include "platform/dshow/media_sample.h"
#include "platform/dshow/private_interfaces.h"

namespace dshow {

// A demultiplexed packet; the buffer is the packet's data.
class PacketSample final : public SampleBase, public IAVPacketSample {
 public:
  explicit PacketSample(PacketPtr packet);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return SampleBase::QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return SampleBase::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return SampleBase::Release(); }
  HRESULT STDMETHODCALLTYPE GetPointer(BYTE** ppBuffer) override;
  LONG STDMETHODCALLTYPE GetSize() override;
  const AVPacket* STDMETHODCALLTYPE Packet() override { return packet_.get(); }

 private:
  HRESULT QueryExtra(REFIID riid, void** object) override;
  PacketPtr packet_;
};

// A decoded picture. GetPointer packs it into the layout of the media type it was delivered with
// (I420, NV12, YUY2 or UYVY), converting the pixel format when the decoder's differs.
class FrameSample final : public SampleBase, public IAVFrameSample {
 public:
  FrameSample(FramePtr frame, AVPixelFormat packedFormat, int width, int height);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return SampleBase::QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return SampleBase::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return SampleBase::Release(); }
  HRESULT STDMETHODCALLTYPE GetPointer(BYTE** ppBuffer) override;
  LONG STDMETHODCALLTYPE GetSize() override { return size_; }
  const AVFrame* STDMETHODCALLTYPE Frame() override { return frame_.get(); }

  // Bytes of a packed picture of that format and size.
  static LONG PackedSize(AVPixelFormat format, int width, int height);

 private:
  HRESULT QueryExtra(REFIID riid, void** object) override;
  bool Pack();

  FramePtr frame_;
  AVPixelFormat packedFormat_;
  int width_;
  int height_;
  LONG size_;
  std::vector<BYTE> packed_;
};

}  // namespace dshow
