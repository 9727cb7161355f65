// The audio decoder: compressed audio in, 16-bit PCM out at the stream's sample rate, mono or stereo
// (more channels are mixed down to two). Sample times are exact to the sample: what comes before
// the start of a segment (a seek lands on the packet before the time asked for) is cut off sample
// by sample, and what lies after the segment's stop likewise.
#include <algorithm>
#include <vector>

#include "platform/dshow/class_ids.h"
#include "platform/dshow/decoder_filter.h"
#include "platform/dshow/filter_factories.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace dshow {
namespace {

// The packet queue holds a few seconds of sound.
constexpr std::size_t kMaxPackets = 250;
constexpr std::size_t kMaxBytes = 2u << 20;
constexpr int kFramesPerBuffer = 8192;
// Timestamps closer than this to the running sample count are taken as continuous.
constexpr REFERENCE_TIME kJitter = UNITS / 50;

class AudioDecoder final : public DecoderFilter {
 public:
  AudioDecoder() : DecoderFilter(CLSID_FFmpegAudioDecoder, kMaxPackets, kMaxBytes) {}
  ~AudioDecoder() override { Stop(); }

 private:
  HRESULT CheckInputType(const AM_MEDIA_TYPE& mt) override {
    if (mt.majortype != MEDIATYPE_Audio) return S_FALSE;
    AVCodecParameters* parameters = avcodec_parameters_alloc();
    const bool ok =
        ReadStreamMediaType(mt, parameters, nullptr) && avcodec_find_decoder(parameters->codec_id) != nullptr;
    avcodec_parameters_free(&parameters);
    return ok ? S_OK : S_FALSE;
  }

  HRESULT SetInputType(const AM_MEDIA_TYPE& mt) override {
    parameters_.reset(avcodec_parameters_alloc());
    if (!parameters_ || !ReadStreamMediaType(mt, parameters_.get(), &description_)) return VFW_E_TYPE_NOT_ACCEPTED;
    rate_ = parameters_->sample_rate > 0 ? parameters_->sample_rate : 48000;
    channels_ = std::clamp(parameters_->ch_layout.nb_channels, 1, 2);
    return S_OK;
  }

  WAVEFORMATEX Format() const {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels_);
    format.nSamplesPerSec = static_cast<DWORD>(rate_);
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels_ * 2);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    return format;
  }

  bool OutputType(int index, MediaType& mt) override {
    if (!parameters_ || index != 0) return false;
    const WAVEFORMATEX format = Format();
    mt = MediaType();
    mt->majortype = MEDIATYPE_Audio;
    mt->subtype = MEDIASUBTYPE_PCM;
    mt->bFixedSizeSamples = TRUE;
    mt->lSampleSize = format.nBlockAlign;
    mt->formattype = FORMAT_WaveFormatEx;
    mt.SetFormat(&format, sizeof format);
    return true;
  }

  HRESULT CheckOutputType(const AM_MEDIA_TYPE& mt) override {
    if (!parameters_ || mt.majortype != MEDIATYPE_Audio || mt.subtype != MEDIASUBTYPE_PCM) return S_FALSE;
    const WAVEFORMATEX* format = WaveFormatOf(mt);
    const WAVEFORMATEX own = Format();
    if (!format || format->wFormatTag != WAVE_FORMAT_PCM || format->nChannels != own.nChannels ||
        format->nSamplesPerSec != own.nSamplesPerSec || format->wBitsPerSample != 16)
      return S_FALSE;
    return S_OK;
  }

  bool OutputBufferSize(ALLOCATOR_PROPERTIES& props) override {
    props.cBuffers = 4;
    props.cbBuffer = kFramesPerBuffer * channels_ * 2;
    props.cbAlign = 1;
    return true;
  }

  void Decode(AVPacket* packet, bool) override {
    if (!codec_) {
      codec_ = OpenCodec(*parameters_, description_.timeBase, false);
      if (!codec_) return;
    }
    CountDecoded();
    while (avcodec_send_packet(codec_.get(), packet) == AVERROR(EAGAIN)) {
      if (!ReceiveFrames()) return;
    }
    ReceiveFrames();
  }

  void Drain() override {
    if (!codec_) return;
    avcodec_send_packet(codec_.get(), nullptr);
    ReceiveFrames();
    if (resampler_) {
      // What the resampler still holds.
      const int left = swr_get_out_samples(resampler_.get(), 0);
      if (left > 0) Convert(nullptr, 0, left);
    }
    FlushCodec();
  }

  void FlushCodec() override {
    if (codec_) avcodec_flush_buffers(codec_.get());
    resampler_.reset();
    next_ = AV_NOPTS_VALUE;
  }

  void CloseCodec() override {
    codec_.reset();
    resampler_.reset();
    next_ = AV_NOPTS_VALUE;
  }

  bool ReceiveFrames() {
    bool any = false;
    if (!frame_) frame_.reset(av_frame_alloc());
    while (avcodec_receive_frame(codec_.get(), frame_.get()) == 0) {
      any = true;
      ConvertFrame();
      av_frame_unref(frame_.get());
    }
    return any;
  }

  bool Configure(const AVFrame& frame) {
    AVChannelLayout in{};
    if (frame.ch_layout.nb_channels > 0)
      av_channel_layout_copy(&in, &frame.ch_layout);
    else
      av_channel_layout_default(&in, std::max(parameters_->ch_layout.nb_channels, 1));
    AVChannelLayout out{};
    av_channel_layout_default(&out, channels_);
    SwrContext* raw = nullptr;
    const int result = swr_alloc_set_opts2(&raw, &out, AV_SAMPLE_FMT_S16, rate_, &in,
                                           static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    resampler_.reset(raw);
    if (result < 0 || !resampler_ || swr_init(resampler_.get()) < 0) {
      resampler_.reset();
      return false;
    }
    inFormat_ = frame.format;
    inRate_ = frame.sample_rate;
    inChannels_ = frame.ch_layout.nb_channels;
    return true;
  }

  void ConvertFrame() {
    const AVFrame& frame = *frame_;
    if (frame.nb_samples <= 0 || frame.sample_rate <= 0) return;
    if (!resampler_ || frame.format != inFormat_ || frame.sample_rate != inRate_ ||
        frame.ch_layout.nb_channels != inChannels_) {
      if (!Configure(frame)) return;
    }
    // The time of the frame's first sample, unless it continues the running count closely enough.
    const int64_t pts = frame.best_effort_timestamp;
    if (pts != AV_NOPTS_VALUE) {
      const REFERENCE_TIME delay = swr_get_delay(resampler_.get(), UNITS);  // in 100 ns
      const REFERENCE_TIME start =
          ToReferenceTime(pts, description_.timeBase) - description_.fileStart - SegmentStart() - delay;
      if (next_ == AV_NOPTS_VALUE || std::llabs(TimeOf(next_) - start) > kJitter)
        next_ = av_rescale(start, rate_, UNITS);
    } else if (next_ == AV_NOPTS_VALUE) {
      next_ = 0;
    }
    Convert(const_cast<const uint8_t**>(frame.extended_data), frame.nb_samples,
            swr_get_out_samples(resampler_.get(), frame.nb_samples));
  }

  REFERENCE_TIME TimeOf(int64_t sampleIndex) const { return av_rescale(sampleIndex, UNITS, rate_); }

  // Converts (input null: drains) and delivers, cut to the segment; next_ counts output samples.
  void Convert(const uint8_t** input, int inSamples, int room) {
    if (room <= 0) return;
    const int blockAlign = channels_ * 2;
    converted_.resize(static_cast<std::size_t>(room) * blockAlign);
    uint8_t* out[1] = {converted_.data()};
    const int made = swr_convert(resampler_.get(), out, room, input, inSamples);
    if (made <= 0) return;
    int64_t first = next_;
    next_ += made;
    int skip = 0;
    int count = made;
    if (first < 0) skip = static_cast<int>(std::min<int64_t>(-first, made));
    const int64_t end = av_rescale(SegmentLength(), rate_, UNITS);
    if (first + count > end) count = static_cast<int>(std::max<int64_t>(end - first, skip));
    for (int at = skip; at < count;) {
      IMediaSample* sample = nullptr;
      if (FAILED(output_.GetDeliveryBuffer(&sample))) return;
      const int n = std::min(count - at, sample->GetSize() / blockAlign);
      BYTE* data = nullptr;
      sample->GetPointer(&data);
      std::copy_n(converted_.data() + static_cast<std::size_t>(at) * blockAlign,
                  static_cast<std::size_t>(n) * blockAlign, data);
      sample->SetActualDataLength(n * blockAlign);
      REFERENCE_TIME start = TimeOf(first + at);
      REFERENCE_TIME stop = TimeOf(first + at + n);
      sample->SetTime(&start, &stop);
      sample->SetSyncPoint(TRUE);
      if (DeliverSample(sample) == S_OK) CountDelivered();
      sample->Release();
      at += n;
    }
  }

  std::unique_ptr<AVCodecParameters, void (*)(AVCodecParameters*)> parameters_{
      nullptr, [](AVCodecParameters* p) { avcodec_parameters_free(&p); }};
  StreamDescription description_;
  int rate_ = 48000;
  int channels_ = 2;

  // Streaming thread only:
  CodecContextPtr codec_;
  FramePtr frame_;
  SwrPtr resampler_;
  int inFormat_ = -1;
  int inRate_ = 0;
  int inChannels_ = 0;
  int64_t next_ = AV_NOPTS_VALUE;  // output sample index (from the segment start) of the next sample
  std::vector<uint8_t> converted_;
};

}  // namespace

HRESULT CreateAudioDecoder(IUnknown* outer, REFIID riid, void** object) {
  return CreateFilterInstance<AudioDecoder>(outer, riid, object);
}

}  // namespace dshow
