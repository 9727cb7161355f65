#include "platform/dshow/decoder_filter.h"

#include <cstring>

namespace dshow {

DecoderFilter::DecoderFilter(const CLSID& clsid, std::size_t maxPackets, std::size_t maxBytes)
    : BaseFilter(clsid), input_(*this, u"Input", *this), output_(*this), queue_(maxPackets, maxBytes) {}

DecoderFilter::~DecoderFilter() {
  // Subclasses stop the filter in their own destructors, while their codec still exists.
}

HRESULT DecoderFilter::QueryExtra(REFIID riid, void** object) {
  if (riid == IID_IStreamStatistics) return Hand(static_cast<IStreamStatistics*>(this), object);
  return E_NOINTERFACE;
}

HRESULT DecoderFilter::GetCounts(LONGLONG* packetsReceived, LONGLONG* packetsDecoded, LONGLONG* framesDelivered) {
  if (packetsReceived) *packetsReceived = packetsReceived_.load();
  if (packetsDecoded) *packetsDecoded = packetsDecoded_.load();
  if (framesDelivered) *framesDelivered = framesDelivered_.load();
  return S_OK;
}

CodecContextPtr DecoderFilter::OpenCodec(const AVCodecParameters& parameters, AVRational timeBase, bool threads) {
  const AVCodec* codec = avcodec_find_decoder(parameters.codec_id);
  if (!codec) return nullptr;
  CodecContextPtr context(avcodec_alloc_context3(codec));
  if (!context || avcodec_parameters_to_context(context.get(), &parameters) < 0) return nullptr;
  context->pkt_timebase = timeBase;
  if (threads) {
    context->thread_count = 0;  // one per core
    context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  } else {
    context->thread_count = 1;
  }
  if (avcodec_open2(context.get(), codec, nullptr) < 0) return nullptr;
  return context;
}

HRESULT DecoderFilter::OnPause(FILTER_STATE from) {
  if (from != State_Stopped) return S_OK;
  if (HRESULT hr = output_.CommitAllocator(); FAILED(hr)) return hr;
  {
    auto lock = handshake_.Hold();
    handshake_.Start(lock);
    workerGeneration_ = handshake_.Generation(lock);
  }
  worker_ = std::thread(&DecoderFilter::WorkerLoop, this);
  return S_OK;
}

void DecoderFilter::OnStop() {
  {
    auto lock = handshake_.Hold();
    handshake_.RequestStop(lock);
    queue_.Clear();
  }
  space_.notify_all();
  output_.DecommitAllocator();  // frees a thread waiting for an output buffer
  if (worker_.joinable()) worker_.join();
  CloseCodec();
  handshake_.Ended();
}

HRESULT DecoderFilter::OnReceive(IMediaSample* sample) {
  if (State() == State_Stopped) return VFW_E_WRONG_STATE;
  PacketPtr packet(av_packet_alloc());
  if (!packet) return E_OUTOFMEMORY;
  ComPtr<IAVPacketSample> carried;
  if (SUCCEEDED(sample->QueryInterface(IID_IAVPacketSample, carried.PutVoid())) && carried) {
    if (av_packet_ref(packet.get(), carried->Packet()) < 0) return E_OUTOFMEMORY;
  } else {
    // A plain sample: its bytes, without timestamps of the stream's time base.
    BYTE* data = nullptr;
    const LONG length = sample->GetActualDataLength();
    if (FAILED(sample->GetPointer(&data)) || length < 0 || av_new_packet(packet.get(), length) < 0) return E_FAIL;
    std::memcpy(packet->data, data, static_cast<std::size_t>(length));
    if (sample->IsSyncPoint() == S_OK) packet->flags |= AV_PKT_FLAG_KEY;
  }
  packetsReceived_.fetch_add(1, std::memory_order_relaxed);
  const bool discontinuity = sample->IsDiscontinuity() == S_OK;
  auto lock = handshake_.Hold();
  space_.wait(lock, [&] { return handshake_.StopRequested(lock) || handshake_.Flushing(lock) || !queue_.Full(); });
  if (handshake_.StopRequested(lock)) return VFW_E_WRONG_STATE;
  if (handshake_.Flushing(lock)) return S_FALSE;
  queue_.Push(QueuedPacket{std::move(packet), discontinuity});
  handshake_.Wake();
  return S_OK;
}

HRESULT DecoderFilter::OnEndOfStream() {
  auto lock = handshake_.Hold();
  if (handshake_.StopRequested(lock) || handshake_.Flushing(lock) || State() == State_Stopped) return S_OK;
  queue_.Push(QueuedPacket{});
  handshake_.Wake();
  return S_OK;
}

HRESULT DecoderFilter::OnBeginFlush() {
  {
    auto lock = handshake_.Hold();
    handshake_.BeginFlush(lock);
    queue_.Clear();
  }
  space_.notify_all();
  output_.DeliverBeginFlush();
  return S_OK;
}

HRESULT DecoderFilter::OnEndFlush() {
  handshake_.AwaitFlushSeen();
  output_.DeliverEndFlush();
  auto lock = handshake_.Hold();
  handshake_.EndFlush(lock);
  return S_OK;
}

HRESULT DecoderFilter::OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  {
    auto lock = handshake_.Hold();
    segmentStart_ = start;
    segmentStop_ = stop;
  }
  output_.DeliverNewSegment(start, stop, rate);
  return S_OK;
}

REFERENCE_TIME DecoderFilter::SegmentStart() const {
  auto lock = handshake_.Hold();
  return segmentStart_;
}

REFERENCE_TIME DecoderFilter::SegmentLength() const {
  auto lock = handshake_.Hold();
  return segmentStop_ - segmentStart_;
}

HRESULT DecoderFilter::DeliverSample(IMediaSample* sample) {
  {
    auto lock = handshake_.Hold();
    if (!handshake_.Current(lock, workerGeneration_)) return S_FALSE;
  }
  return output_.Deliver(sample);
}

void DecoderFilter::WorkerLoop() {
  for (;;) {
    QueuedPacket item;
    bool flush = false;
    unsigned generation = 0;
    {
      auto lock = handshake_.Hold();
      handshake_.Wait(lock, [&] {
        return handshake_.StopRequested(lock) || handshake_.FlushUnseen(lock) ||
               (!handshake_.Flushing(lock) && !queue_.Empty());
      });
      if (handshake_.StopRequested(lock)) return;
      generation = handshake_.Generation(lock);
      if (handshake_.Flushing(lock)) {
        flush = true;
      } else {
        item = queue_.Pop();
        workerGeneration_ = generation;
      }
    }
    if (flush) {
      FlushCodec();
      auto lock = handshake_.Hold();
      handshake_.Acknowledge(lock, generation);
      continue;
    }
    space_.notify_one();
    if (!item.packet) {
      Drain();
      bool current;
      {
        auto lock = handshake_.Hold();
        current = handshake_.Current(lock, workerGeneration_);
      }
      if (current) output_.DeliverEndOfStream();
      continue;
    }
    Decode(item.packet.get(), item.discontinuity);
  }
}

}  // namespace dshow
