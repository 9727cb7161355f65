#include "platform/dshow/decoder_filter.h"

#include <cstring>

namespace dshow {

DecoderFilter::DecoderFilter(const CLSID& clsid, std::size_t maxPackets, std::size_t maxBytes)
    : BaseFilter(clsid), input_(*this), output_(*this), queue_(maxPackets, maxBytes) {}

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
    std::lock_guard lock(lock_);
    stopping_ = false;
    flushing_ = false;
    ackedGeneration_ = flushGeneration_;
    workerGeneration_ = flushGeneration_;
    workerRunning_ = true;
  }
  worker_ = std::thread(&DecoderFilter::WorkerLoop, this);
  return S_OK;
}

void DecoderFilter::OnStop() {
  {
    std::lock_guard lock(lock_);
    stopping_ = true;
    queue_.Clear();
  }
  work_.notify_all();
  space_.notify_all();
  output_.DecommitAllocator();  // frees a thread waiting for an output buffer
  if (worker_.joinable()) worker_.join();
  CloseCodec();
  {
    std::lock_guard lock(lock_);
    workerRunning_ = false;
  }
  acked_.notify_all();
}

HRESULT DecoderFilter::ReceivePacket(IMediaSample* sample) {
  if (!sample) return E_POINTER;
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
  {
    std::unique_lock lock(lock_);
    space_.wait(lock, [&] { return stopping_ || flushing_ || !queue_.Full(); });
    if (stopping_) return VFW_E_WRONG_STATE;
    if (flushing_) return S_FALSE;
    queue_.Push(QueuedPacket{std::move(packet), discontinuity});
  }
  work_.notify_one();
  return S_OK;
}

HRESULT DecoderFilter::QueueEndOfStream() {
  {
    std::lock_guard lock(lock_);
    if (stopping_ || flushing_ || State() == State_Stopped) return S_OK;
    queue_.Push(QueuedPacket{});
  }
  work_.notify_one();
  return S_OK;
}

HRESULT DecoderFilter::BeginFlush() {
  {
    std::lock_guard lock(lock_);
    flushing_ = true;
    ++flushGeneration_;
    queue_.Clear();
  }
  work_.notify_all();
  space_.notify_all();
  output_.DeliverBeginFlush();
  return S_OK;
}

HRESULT DecoderFilter::EndFlush() {
  {
    std::unique_lock lock(lock_);
    acked_.wait(lock, [&] { return !workerRunning_ || ackedGeneration_ == flushGeneration_; });
  }
  output_.DeliverEndFlush();
  {
    std::lock_guard lock(lock_);
    flushing_ = false;
  }
  work_.notify_all();
  return S_OK;
}

HRESULT DecoderFilter::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  {
    std::lock_guard lock(lock_);
    segmentStart_ = start;
    segmentStop_ = stop;
  }
  output_.DeliverNewSegment(start, stop, rate);
  return S_OK;
}

REFERENCE_TIME DecoderFilter::SegmentStart() const {
  std::lock_guard lock(lock_);
  return segmentStart_;
}

REFERENCE_TIME DecoderFilter::SegmentLength() const {
  std::lock_guard lock(lock_);
  return segmentStop_ - segmentStart_;
}

HRESULT DecoderFilter::DeliverSample(IMediaSample* sample) {
  {
    std::lock_guard lock(lock_);
    if (stopping_ || flushing_ || workerGeneration_ != flushGeneration_) return S_FALSE;
  }
  return output_.Deliver(sample);
}

void DecoderFilter::WorkerLoop() {
  for (;;) {
    QueuedPacket item;
    bool flush = false;
    unsigned generation = 0;
    {
      std::unique_lock lock(lock_);
      work_.wait(lock, [&] {
        return stopping_ || (flushing_ && ackedGeneration_ != flushGeneration_) || (!flushing_ && !queue_.Empty());
      });
      if (stopping_) return;
      if (flushing_) {
        flush = true;
        generation = flushGeneration_;
      } else {
        item = queue_.Pop();
        workerGeneration_ = flushGeneration_;
      }
    }
    if (flush) {
      FlushCodec();
      {
        std::lock_guard lock(lock_);
        ackedGeneration_ = generation;
      }
      acked_.notify_all();
      continue;
    }
    space_.notify_one();
    if (!item.packet) {
      Drain();
      bool current;
      {
        std::lock_guard lock(lock_);
        current = !stopping_ && !flushing_ && workerGeneration_ == flushGeneration_;
      }
      if (current) output_.DeliverEndOfStream();
      continue;
    }
    Decode(item.packet.get(), item.discontinuity);
  }
}

}  // namespace dshow
