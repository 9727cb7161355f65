#include "platform/dshow/ffmpeg_source.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/dshow/av_samples.h"
#include "platform/dshow/class_ids.h"
#include "platform/dshow/event_codes.h"
#include "platform/dshow/filter_factories.h"
#include "platform/dshow/stream_format.h"

namespace dshow {
namespace {

// Where a seek may land after the requested time before it is tried again from earlier on.
constexpr REFERENCE_TIME kLateLanding = UNITS / 50;
// Packets read ahead at most while looking for the first audio packet after a seek.
constexpr int kMaxReadAhead = 400;
// Packets of a stream sent after the stop position, for decoders that reorder.
constexpr REFERENCE_TIME kStopMargin = UNITS / 2;
constexpr int kMaxReadErrors = 8;
constexpr auto kDemandPoll = std::chrono::milliseconds(100);
// The stop position of a file whose length is not known.
constexpr REFERENCE_TIME kUnknownEnd = INT64_MAX / 4;

HRESULT OpenFailure(int error) {
  if (error == AVERROR(ENOENT)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  if (error == AVERROR(EACCES) || error == AVERROR(EPERM)) return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
  if (error == AVERROR_INVALIDDATA || error == AVERROR_EOF) return VFW_E_UNKNOWN_FILE_TYPE;
  return VFW_E_INVALID_FILE_FORMAT;
}

bool IsAttachedPicture(const AVStream& stream) { return (stream.disposition & AV_DISPOSITION_ATTACHED_PIC) != 0; }

}  // namespace

// ---- SourcePin ----

SourcePin::SourcePin(FFmpegSource& filter, std::u16string name, int index, MediaType type, bool isVideo)
    : OutputPin(filter, std::move(name)), streamIndex(index), video(isVideo), type_(std::move(type)) {}

HRESULT SourcePin::CheckMediaType(const AM_MEDIA_TYPE& mt) {
  const AM_MEDIA_TYPE& own = type_.Get();
  if (mt.majortype != own.majortype || mt.subtype != own.subtype || mt.formattype != own.formattype ||
      mt.cbFormat != own.cbFormat || (own.cbFormat && std::memcmp(mt.pbFormat, own.pbFormat, own.cbFormat) != 0))
    return S_FALSE;
  return S_OK;
}

bool SourcePin::GetMediaType(int index, MediaType& mt) {
  if (index != 0) return false;
  mt = type_;
  return true;
}

// ---- FFmpegSource ----

FFmpegSource::FFmpegSource() : BaseFilter(CLSID_FFmpegSource) {}

FFmpegSource::~FFmpegSource() { Stop(); }

HRESULT CreateFFmpegSource(IUnknown* outer, REFIID riid, void** object) {
  return CreateFilterInstance<FFmpegSource>(outer, riid, object);
}

HRESULT FFmpegSource::QueryExtra(REFIID riid, void** object) {
  if (riid == IID_IFileSourceFilter) return Hand(static_cast<IFileSourceFilter*>(this), object);
  if (riid == IID_IMediaSeeking) return Hand(static_cast<IMediaSeeking*>(this), object);
  if (riid == IID_IRestartingSeek) return Hand(static_cast<IRestartingSeek*>(this), object);
  return E_NOINTERFACE;
}

std::vector<BasePin*> FFmpegSource::Pins() {
  std::vector<BasePin*> pins;
  for (auto& pin : pins_) pins.push_back(pin.get());
  return pins;
}

HRESULT FFmpegSource::Load(LPCOLESTR pszFileName, const AM_MEDIA_TYPE*) {
  if (!pszFileName) return E_POINTER;
  if (format_) return E_UNEXPECTED;  // one file per source
  const std::u16string name = WideString(pszFileName);
  const std::string path = Utf8FromWide(name);
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) {
    return errno == EACCES ? HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED) : HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  }
  if (S_ISDIR(info.st_mode)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  if (::access(path.c_str(), R_OK) != 0) return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
  if (info.st_size == 0) return VFW_E_UNKNOWN_FILE_TYPE;

  AVFormatContext* raw = nullptr;
  if (int error = avformat_open_input(&raw, path.c_str(), nullptr, nullptr); error < 0) return OpenFailure(error);
  FormatContextPtr format(raw);
  if (avformat_find_stream_info(format.get(), nullptr) < 0 && format->nb_streams == 0) return VFW_E_INVALID_FILE_FORMAT;
  if (format->nb_streams == 0) return VFW_E_INVALID_FILE_FORMAT;

  int videoIndex = -1;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVStream& stream = *format->streams[i];
    if (stream.codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !IsAttachedPicture(stream) && stream.codecpar->width > 0) {
      const int best = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
      videoIndex = (best >= 0 && !IsAttachedPicture(*format->streams[best])) ? best : static_cast<int>(i);
      break;
    }
  }
  const int audioIndex = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, videoIndex, nullptr, 0);
  if (videoIndex < 0 && audioIndex < 0) return VFW_E_UNSUPPORTED_STREAM;

  fileStart_ = format->start_time != AV_NOPTS_VALUE ? ToReferenceTime(format->start_time, AV_TIME_BASE_Q) : 0;
  if (format->duration != AV_NOPTS_VALUE && format->duration > 0) {
    duration_ = ToReferenceTime(format->duration, AV_TIME_BASE_Q);
  } else {
    for (unsigned i = 0; i < format->nb_streams; ++i) {
      const AVStream& stream = *format->streams[i];
      if (stream.duration != AV_NOPTS_VALUE)
        duration_ = std::max(duration_, ToReferenceTime(stream.duration, stream.time_base));
    }
  }
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    if (static_cast<int>(i) != videoIndex && static_cast<int>(i) != audioIndex)
      format->streams[i]->discard = AVDISCARD_ALL;
  }
  if (videoIndex >= 0) {
    const AVStream& stream = *format->streams[videoIndex];
    frameRate_ = stream.avg_frame_rate.num > 0 ? stream.avg_frame_rate : stream.r_frame_rate;
    if (frameRate_.num <= 0 || frameRate_.den <= 0) frameRate_ = AVRational{0, 1};
    pins_.push_back(
        std::make_unique<SourcePin>(*this, u"Video", videoIndex, StreamMediaType(stream, fileStart_), true));
  }
  if (audioIndex >= 0) {
    pins_.push_back(std::make_unique<SourcePin>(*this, u"Audio", audioIndex,
                                                StreamMediaType(*format->streams[audioIndex], fileStart_), false));
  }
  seekable_ = format->pb && (format->pb->seekable & AVIO_SEEKABLE_NORMAL) && duration_ > 0;
  fileName_ = name;
  format_ = std::move(format);
  auto lock = handshake_.Hold();
  start_ = 0;
  stop_ = End();
  return S_OK;
}

HRESULT FFmpegSource::GetCurFile(LPOLESTR* ppszFileName, AM_MEDIA_TYPE* pmt) {
  if (!ppszFileName) return E_POINTER;
  *ppszFileName = nullptr;
  if (!format_) return E_FAIL;
  *ppszFileName = TaskMemString(fileName_);
  if (!*ppszFileName) return E_OUTOFMEMORY;
  if (pmt) {
    *pmt = AM_MEDIA_TYPE{};
    pmt->majortype = MEDIATYPE_Stream;
  }
  return S_OK;
}

// ---- seeking ----

REFERENCE_TIME FFmpegSource::End() const { return duration_ > 0 ? duration_ : kUnknownEnd; }

bool FFmpegSource::ToMediaTime(LONGLONG value, const GUID& format, REFERENCE_TIME& time) const {
  if (format == TIME_FORMAT_MEDIA_TIME) {
    time = value;
    return true;
  }
  if (format == TIME_FORMAT_FRAME && HasFrameRate()) {
    // Rounded up, so that the frame shown at that time is the frame asked for.
    time = av_rescale_rnd(value, UNITS * frameRate_.den, frameRate_.num, AV_ROUND_UP);
    return true;
  }
  return false;
}

bool FFmpegSource::FromMediaTime(REFERENCE_TIME time, const GUID& format, LONGLONG& value) const {
  if (format == TIME_FORMAT_MEDIA_TIME) {
    value = time;
    return true;
  }
  if (format == TIME_FORMAT_FRAME && HasFrameRate()) {
    value = av_rescale_rnd(time, frameRate_.num, UNITS * frameRate_.den, AV_ROUND_DOWN);
    return true;
  }
  return false;
}

HRESULT FFmpegSource::GetCapabilities(DWORD* pCapabilities) {
  if (!pCapabilities) return E_POINTER;
  *pCapabilities = AM_SEEKING_CanGetCurrentPos | AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration;
  if (seekable_)
    *pCapabilities |= AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards | AM_SEEKING_CanSeekBackwards;
  return S_OK;
}

HRESULT FFmpegSource::CheckCapabilities(DWORD* pCapabilities) {
  if (!pCapabilities) return E_POINTER;
  DWORD have = 0;
  GetCapabilities(&have);
  const DWORD asked = *pCapabilities;
  *pCapabilities &= have;
  if (*pCapabilities == asked) return S_OK;
  return *pCapabilities ? S_FALSE : E_FAIL;
}

HRESULT FFmpegSource::IsFormatSupported(const GUID* pFormat) {
  if (!pFormat) return E_POINTER;
  if (*pFormat == TIME_FORMAT_MEDIA_TIME) return S_OK;
  return *pFormat == TIME_FORMAT_FRAME && HasFrameRate() ? S_OK : S_FALSE;
}

HRESULT FFmpegSource::QueryPreferredFormat(GUID* pFormat) {
  if (!pFormat) return E_POINTER;
  *pFormat = TIME_FORMAT_MEDIA_TIME;
  return S_OK;
}

HRESULT FFmpegSource::GetTimeFormat(GUID* pFormat) {
  if (!pFormat) return E_POINTER;
  auto lock = handshake_.Hold();
  *pFormat = timeFormat_;
  return S_OK;
}

HRESULT FFmpegSource::IsUsingTimeFormat(const GUID* pFormat) {
  if (!pFormat) return E_POINTER;
  auto lock = handshake_.Hold();
  return *pFormat == timeFormat_ ? S_OK : S_FALSE;
}

HRESULT FFmpegSource::SetTimeFormat(const GUID* pFormat) {
  if (!pFormat) return E_POINTER;
  if (IsFormatSupported(pFormat) != S_OK) return E_INVALIDARG;
  if (State() != State_Stopped) return VFW_E_WRONG_STATE;
  auto lock = handshake_.Hold();
  timeFormat_ = *pFormat;
  return S_OK;
}

HRESULT FFmpegSource::GetDuration(LONGLONG* pDuration) {
  if (!pDuration) return E_POINTER;
  GUID format;
  GetTimeFormat(&format);
  return FromMediaTime(duration_, format, *pDuration) ? S_OK : E_FAIL;
}

HRESULT FFmpegSource::GetStopPosition(LONGLONG* pStop) {
  if (!pStop) return E_POINTER;
  GUID format;
  REFERENCE_TIME stop;
  {
    auto lock = handshake_.Hold();
    format = timeFormat_;
    stop = stop_;
  }
  return FromMediaTime(stop, format, *pStop) ? S_OK : E_FAIL;
}

HRESULT FFmpegSource::GetCurrentPosition(LONGLONG* pCurrent) {
  if (!pCurrent) return E_POINTER;
  GUID format;
  REFERENCE_TIME start;
  {
    auto lock = handshake_.Hold();
    format = timeFormat_;
    start = start_;
  }
  return FromMediaTime(start, format, *pCurrent) ? S_OK : E_FAIL;
}

HRESULT FFmpegSource::ConvertTimeFormat(LONGLONG* pTarget, const GUID* pTargetFormat, LONGLONG Source,
                                        const GUID* pSourceFormat) {
  if (!pTarget) return E_POINTER;
  GUID current;
  GetTimeFormat(&current);
  const GUID& from = pSourceFormat ? *pSourceFormat : current;
  const GUID& to = pTargetFormat ? *pTargetFormat : current;
  REFERENCE_TIME time;
  if (!ToMediaTime(Source, from, time) || !FromMediaTime(time, to, *pTarget)) return E_INVALIDARG;
  return S_OK;
}

HRESULT FFmpegSource::SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop, DWORD dwStopFlags) {
  return SetPositionsAndRestart(pCurrent, dwCurrentFlags, pStop, dwStopFlags, nullptr, nullptr);
}

HRESULT FFmpegSource::SetPositionsAndRestart(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop,
                                             DWORD dwStopFlags, void (*beforeRestart)(void*), void* context) {
  const DWORD currentMode = dwCurrentFlags & AM_SEEKING_PositioningBitsMask;
  const DWORD stopMode = dwStopFlags & AM_SEEKING_PositioningBitsMask;
  if ((currentMode != AM_SEEKING_NoPositioning && !pCurrent) || (stopMode != AM_SEEKING_NoPositioning && !pStop))
    return E_POINTER;
  if (currentMode != AM_SEEKING_NoPositioning && !seekable_) return E_NOTIMPL;
  GUID format;
  REFERENCE_TIME current, stop;
  {
    auto lock = handshake_.Hold();
    format = timeFormat_;
    current = start_;
    stop = stop_;
  }
  REFERENCE_TIME value = 0;
  if (currentMode != AM_SEEKING_NoPositioning) {
    if (!ToMediaTime(*pCurrent, format, value)) return E_INVALIDARG;
    current = currentMode == AM_SEEKING_AbsolutePositioning ? value : current + value;
  }
  if (stopMode != AM_SEEKING_NoPositioning) {
    if (!ToMediaTime(*pStop, format, value)) return E_INVALIDARG;
    stop = stopMode == AM_SEEKING_AbsolutePositioning   ? value
           : stopMode == AM_SEEKING_RelativePositioning ? stop + value
                                                        : current + value;
  }
  current = std::clamp<REFERENCE_TIME>(current, 0, End());
  stop = std::clamp<REFERENCE_TIME>(stop, current, End());

  const bool seek = currentMode != AM_SEEKING_NoPositioning;
  if (!seek || State() == State_Stopped) {
    auto lock = handshake_.Hold();
    if (seek) start_ = current;
    stop_ = stop;
  } else {
    // Empty the pipeline, let the thread see it, start the new segment, then let it seek.
    {
      auto lock = handshake_.Hold();
      handshake_.BeginFlush(lock);
      pendingSeek_ = current;
      start_ = current;
      stop_ = stop;
    }
    for (auto& pin : pins_) pin->DeliverBeginFlush();
    handshake_.AwaitFlushSeen();
    for (auto& pin : pins_) {
      pin->DeliverEndFlush();
      pin->DeliverNewSegment(current, stop, 1.0);
    }
    if (beforeRestart) beforeRestart(context);
    auto lock = handshake_.Hold();
    handshake_.EndFlush(lock);
  }
  if (pCurrent && (dwCurrentFlags & AM_SEEKING_ReturnTime)) FromMediaTime(current, format, *pCurrent);
  if (pStop && (dwStopFlags & AM_SEEKING_ReturnTime)) FromMediaTime(stop, format, *pStop);
  return S_OK;
}

HRESULT FFmpegSource::GetPositions(LONGLONG* pCurrent, LONGLONG* pStop) {
  if (pCurrent) GetCurrentPosition(pCurrent);
  if (pStop) GetStopPosition(pStop);
  return S_OK;
}

HRESULT FFmpegSource::GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest) {
  GUID format;
  GetTimeFormat(&format);
  if (pEarliest) *pEarliest = 0;
  if (pLatest) FromMediaTime(duration_, format, *pLatest);
  return S_OK;
}

HRESULT FFmpegSource::SetRate(double dRate) {
  if (dRate <= 0) return E_INVALIDARG;
  return dRate == 1.0 ? S_OK : E_NOTIMPL;
}

HRESULT FFmpegSource::GetRate(double* pdRate) {
  if (!pdRate) return E_POINTER;
  *pdRate = 1.0;
  return S_OK;
}

HRESULT FFmpegSource::GetPreroll(LONGLONG* pllPreroll) {
  if (!pllPreroll) return E_POINTER;
  *pllPreroll = 0;
  return S_OK;
}

// ---- states ----

HRESULT FFmpegSource::OnPause(FILTER_STATE from) {
  if (from != State_Stopped) return S_OK;
  if (!format_) return VFW_E_NOT_CONNECTED;
  REFERENCE_TIME start, stop;
  {
    auto lock = handshake_.Hold();
    handshake_.Start(lock);
    start = start_;
    stop = stop_;
    pendingSeek_ = start;
  }
  for (auto& pin : pins_) pin->DeliverNewSegment(start, stop, 1.0);
  thread_ = std::thread(&FFmpegSource::DemuxLoop, this);
  return S_OK;
}

void FFmpegSource::OnStop() {
  if (!thread_.joinable()) return;
  {
    auto lock = handshake_.Hold();
    handshake_.RequestStop(lock);
  }
  // Downstream is normally stopped first; a flush frees the thread if it is not.
  for (auto& pin : pins_) pin->DeliverBeginFlush();
  thread_.join();
  for (auto& pin : pins_) pin->DeliverEndFlush();
  handshake_.Ended();
}

// ---- demultiplexing thread ----

SourcePin* FFmpegSource::PinOf(int streamIndex) {
  for (auto& pin : pins_)
    if (pin->streamIndex == streamIndex) return pin.get();
  return nullptr;
}

bool FFmpegSource::Idle() const {
  for (const auto& pin : pins_)
    if (!pin->ended && !pin->refused) return false;
  return true;
}

void FFmpegSource::DemuxLoop() {
  PacketPtr packet(av_packet_alloc());
  for (;;) {
    std::optional<REFERENCE_TIME> seekTo;
    {
      auto lock = handshake_.Hold();
      for (;;) {
        if (handshake_.StopRequested(lock)) {
          lock.unlock();
          handshake_.Ended();
          return;
        }
        if (handshake_.Flushing(lock)) {
          handshake_.Acknowledge(lock, handshake_.Generation(lock));
          handshake_.WaitForChange(lock);
          continue;
        }
        if (pendingSeek_) {
          seekTo = pendingSeek_;
          pendingSeek_.reset();
          segmentStop_ = stop_;
          break;
        }
        if (!Idle()) break;
        // Nothing to read: look again now and then whether the pictures are wanted again.
        if (!handshake_.WaitForChange(lock, kDemandPoll)) break;
      }
    }
    if (seekTo) {
      SeekFile(*seekTo);
      continue;
    }
    UpdateVideoDemand();
    if (Idle()) continue;
    if (!ReadPacket(packet.get())) {
      for (auto& pin : pins_) EndPin(*pin);
      continue;
    }
    SourcePin* pin = PinOf(packet->stream_index);
    if (!pin || pin->ended || pin->refused || !pin->wanted) {
      av_packet_unref(packet.get());
      continue;
    }
    DeliverPacket(*pin, packet.get());
  }
}

bool FFmpegSource::ReadPacket(AVPacket* packet) {
  if (!held_.empty()) {
    av_packet_move_ref(packet, held_.front().get());
    held_.pop_front();
    return true;
  }
  for (;;) {
    const int result = av_read_frame(format_.get(), packet);
    if (result >= 0) {
      readErrors_ = 0;
      return true;
    }
    if (result == AVERROR(EAGAIN)) continue;
    if (result == AVERROR_EOF || (format_->pb && avio_feof(format_->pb))) return false;
    // A damaged stretch can fail a few reads in a row; more than that is a read error.
    if (++readErrors_ < kMaxReadErrors) continue;
    NotifyEvent(EC_ERRORABORT, HRESULT_FROM_WIN32(ERROR_READ_FAULT), 0);
    return false;
  }
}

void FFmpegSource::EndPin(SourcePin& pin) {
  if (pin.ended) return;
  pin.ended = true;
  pin.DeliverEndOfStream();
}

void FFmpegSource::DeliverPacket(SourcePin& pin, AVPacket* packet) {
  const AVStream& stream = *format_->streams[pin.streamIndex];
  if (pin.skipDelivered) {
    const int64_t ts = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
    const bool delivered = (packet->pos >= 0 && pin.lastPosition >= 0)
                               ? packet->pos <= pin.lastPosition
                               : ts != AV_NOPTS_VALUE && pin.lastTimestamp != AV_NOPTS_VALUE && ts <= pin.lastTimestamp;
    if (delivered) {
      av_packet_unref(packet);
      return;
    }
    pin.skipDelivered = false;
  }
  const int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
  const bool timed = ts != AV_NOPTS_VALUE;
  REFERENCE_TIME start = timed ? ToReferenceTime(ts, stream.time_base) - fileStart_ - segment_ : 0;
  if (timed && start > segmentStop_ - segment_ + kStopMargin) {
    av_packet_unref(packet);
    EndPin(pin);
    return;
  }
  pin.lastPosition = packet->pos;
  pin.lastTimestamp = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;

  PacketPtr owned(av_packet_alloc());
  av_packet_move_ref(owned.get(), packet);
  auto* sample = new PacketSample(std::move(owned));
  REFERENCE_TIME stop =
      start + std::max<REFERENCE_TIME>(ToReferenceTime(sample->Packet()->duration, stream.time_base), 1);
  if (timed) sample->SetTime(&start, &stop);
  sample->SetSyncPoint((sample->Packet()->flags & AV_PKT_FLAG_KEY) != 0);
  sample->SetDiscontinuity(pin.discontinuity);
  pin.discontinuity = false;
  const HRESULT hr = pin.Deliver(sample);
  sample->Release();
  if (hr != S_OK) pin.refused = true;
}

void FFmpegSource::SeekFile(REFERENCE_TIME target) {
  held_.clear();
  segment_ = target;
  bool hasAudio = false;
  for (auto& pin : pins_) {
    pin->ended = pin->refused = pin->skipDelivered = false;
    pin->lastPosition = -1;
    pin->lastTimestamp = AV_NOPTS_VALUE;
    pin->discontinuity = true;
    pin->wanted = !pin->video || pin->DownstreamWantsFrames();
    format_->streams[pin->streamIndex]->discard = pin->wanted ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    hasAudio = hasAudio || !pin->video;
  }
  if (!seekable_) return;
  const int64_t fileStart = format_->start_time != AV_NOPTS_VALUE ? format_->start_time : 0;
  REFERENCE_TIME from = target;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int64_t ts = av_rescale(from, AV_TIME_BASE, UNITS) + fileStart;
    if (avformat_seek_file(format_.get(), -1, INT64_MIN, ts, ts, 0) < 0)
      av_seek_frame(format_.get(), -1, ts, AVSEEK_FLAG_BACKWARD);
    held_.clear();
    if (!hasAudio || target == 0 || from == 0) return;
    // Sound must resume at the target, not after it: look where the audio starts and, when it
    // starts late, seek again from further back (decoders trim what comes before the target).
    REFERENCE_TIME audioStart = 0;
    bool found = false;
    for (int n = 0; n < kMaxReadAhead && !found; ++n) {
      PacketPtr packet(av_packet_alloc());
      if (av_read_frame(format_.get(), packet.get()) < 0) break;
      SourcePin* pin = PinOf(packet->stream_index);
      if (!pin) continue;
      if (!pin->video) {
        const int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (pts != AV_NOPTS_VALUE) {
          audioStart = ToReferenceTime(pts, format_->streams[pin->streamIndex]->time_base) - fileStart_;
          found = true;
        }
      }
      held_.push_back(std::move(packet));
    }
    if (!found || audioStart <= target + kLateLanding) return;
    from = std::max<REFERENCE_TIME>(0, target - (attempt == 0 ? UNITS : 5 * UNITS));
  }
}

void FFmpegSource::ResynchroniseTo(REFERENCE_TIME position) {
  const int64_t fileStart = format_->start_time != AV_NOPTS_VALUE ? format_->start_time : 0;
  const int64_t ts = av_rescale(position, AV_TIME_BASE, UNITS) + fileStart;
  held_.clear();
  if (avformat_seek_file(format_.get(), -1, INT64_MIN, ts, ts, 0) < 0 &&
      av_seek_frame(format_.get(), -1, ts, AVSEEK_FLAG_BACKWARD) < 0)
    return;
  for (auto& pin : pins_) {
    if (pin->video) {
      pin->lastPosition = -1;
      pin->lastTimestamp = AV_NOPTS_VALUE;
      pin->discontinuity = true;
    } else {
      pin->skipDelivered = pin->lastPosition >= 0 || pin->lastTimestamp != AV_NOPTS_VALUE;
    }
  }
}

void FFmpegSource::UpdateVideoDemand() {
  for (auto& pin : pins_) {
    if (!pin->video) continue;
    const bool wanted = pin->DownstreamWantsFrames();
    if (wanted == pin->wanted) continue;
    pin->wanted = wanted;
    format_->streams[pin->streamIndex]->discard = wanted ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    if (!wanted) continue;
    pin->discontinuity = true;
    // While paused the renderer asks for a repaint, which seeks; while running, pick the video
    // up again at the playing position.
    REFERENCE_TIME now = 0;
    if (!seekable_ || !StreamTimeNow(now)) continue;
    if (pin->ended) {
      // Its end was delivered already: that branch starts the segment over on its own.
      pin->DeliverBeginFlush();
      pin->DeliverEndFlush();
      pin->DeliverNewSegment(segment_, segmentStop_, 1.0);
      pin->ended = pin->refused = false;
    }
    ResynchroniseTo(segment_ + std::max<REFERENCE_TIME>(now, 0));
  }
}

}  // namespace dshow
