// The common part of the decoders: one input pin behind a bounded packet queue, one output pin,
// and a streaming thread of the filter's own that decodes from the queue and delivers downstream.
//
// The thread runs from Pause (out of Stopped) to Stop. A flush empties the queue; EndFlush returns
// only once the thread has dropped what it was doing and reset the codec, so that nothing decoded
// before the flush reaches downstream after it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/dshow/base_filter.h"
#include "platform/dshow/ffmpeg_util.h"
#include "platform/dshow/forwarding_input_pin.h"
#include "platform/dshow/packet_queue.h"
#include "platform/dshow/stream_format.h"
#include "platform/dshow/streaming_handshake.h"

namespace dshow {

class DecoderFilter : public BaseFilter, public IStreamStatistics, protected InputHandler {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return BaseFilter::QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return BaseFilter::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return BaseFilter::Release(); }

  HRESULT STDMETHODCALLTYPE GetCounts(LONGLONG* packetsReceived, LONGLONG* packetsDecoded,
                                      LONGLONG* framesDelivered) override;

  std::vector<BasePin*> Pins() override { return {&input_, &output_}; }

 protected:
  class Output final : public OutputPin {
   public:
    explicit Output(DecoderFilter& owner) : OutputPin(owner, u"Output"), owner_(owner) {}
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override { return owner_.CheckOutputType(mt); }
    bool GetMediaType(int index, MediaType& mt) override { return owner_.OutputType(index, mt); }

   protected:
    bool DecideBufferSize(ALLOCATOR_PROPERTIES& props) override { return owner_.OutputBufferSize(props); }

   private:
    DecoderFilter& owner_;
  };

  DecoderFilter(const CLSID& clsid, std::size_t maxPackets, std::size_t maxBytes);
  ~DecoderFilter() override;

  // Media types (CheckInputType: see InputHandler). SetInputType runs when the input connects and
  // prepares the output types.
  virtual HRESULT SetInputType(const AM_MEDIA_TYPE& mt) = 0;
  virtual bool OutputType(int index, MediaType& mt) = 0;
  virtual HRESULT CheckOutputType(const AM_MEDIA_TYPE& mt) = 0;
  virtual bool OutputBufferSize(ALLOCATOR_PROPERTIES&) { return false; }

  // Run on the streaming thread only.
  virtual void Decode(AVPacket* packet, bool discontinuity) = 0;
  virtual void Drain() = 0;       // the stream ended: deliver what the codec still holds
  virtual void FlushCodec() = 0;  // forget what the codec holds
  virtual void CloseCodec() = 0;  // the filter stops (also called once the thread has ended)

  // For the streaming thread: deliver unless a flush or stop came since the packet was taken.
  HRESULT DeliverSample(IMediaSample* sample);
  // The current segment: its start in media time (sample times count from it) and its length.
  REFERENCE_TIME SegmentStart() const;
  REFERENCE_TIME SegmentLength() const;
  void CountDecoded() { packetsDecoded_.fetch_add(1, std::memory_order_relaxed); }
  void CountDelivered() { framesDelivered_.fetch_add(1, std::memory_order_relaxed); }
  // A codec opened for these parameters with the stream's time base; null when it cannot be.
  static CodecContextPtr OpenCodec(const AVCodecParameters& parameters, AVRational timeBase, bool threads);

  ForwardingInputPin input_;
  Output output_;

 private:
  HRESULT QueryExtra(REFIID riid, void** object) override;
  HRESULT OnPause(FILTER_STATE from) override;
  void OnStop() override;

  // The input pin's calls.
  HRESULT OnInputConnected(const MediaType& type) override { return SetInputType(type.Get()); }
  HRESULT OnReceive(IMediaSample* sample) override;
  HRESULT OnEndOfStream() override;
  HRESULT OnBeginFlush() override;
  HRESULT OnEndFlush() override;
  HRESULT OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
  bool InputWantsFrames() override { return output_.DownstreamWantsFrames(); }

  void WorkerLoop();

  // Its lock also guards the members below it.
  mutable StreamingHandshake handshake_;
  std::condition_variable space_;  // the source: room in the queue
  PacketQueue queue_;
  unsigned workerGeneration_ = 0;  // the generation of the packet being decoded
  REFERENCE_TIME segmentStart_ = 0;
  REFERENCE_TIME segmentStop_ = 0;

  std::atomic<LONGLONG> packetsReceived_{0};
  std::atomic<LONGLONG> packetsDecoded_{0};
  std::atomic<LONGLONG> framesDelivered_{0};
  std::thread worker_;
};

}  // namespace dshow
