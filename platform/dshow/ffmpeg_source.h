// The file source: opens a media file with libavformat and demultiplexes it on one thread of its
// own, with an output pin for its main video stream and its main audio stream.
//
// The demultiplexing thread runs from Pause (out of Stopped) to Stop. Seeks flush downstream, then
// the thread seeks the file and starts a new segment. A video stream that nobody downstream wants
// (see IFrameDemand) is discarded in the demultiplexer; when it is wanted again while running, the
// file is sought back to the playing position so that the video restarts from a key frame, and the
// other streams skip what they already had.
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/dshow/base_filter.h"
#include "platform/dshow/ffmpeg_util.h"
#include "platform/dshow/seeking_interface.h"
#include "platform/dshow/streaming_handshake.h"

namespace dshow {

class FFmpegSource;

class SourcePin final : public OutputPin {
 public:
  SourcePin(FFmpegSource& filter, std::u16string name, int streamIndex, MediaType type, bool video);

  HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
  bool GetMediaType(int index, MediaType& mt) override;

  const int streamIndex;
  const bool video;

  // Touched only by the demultiplexing thread:
  bool ended = false;
  bool refused = false;        // the peer refused a sample; nothing more until the next segment
  bool skipDelivered = false;  // after a resynchronisation: drop what was delivered before
  int64_t lastPosition = -1;   // byte position and timestamp of the last delivered packet
  int64_t lastTimestamp = AV_NOPTS_VALUE;
  bool discontinuity = true;
  bool wanted = true;

 private:
  const MediaType type_;
};

class FFmpegSource final : public BaseFilter, public IFileSourceFilter, public IMediaSeeking, public IRestartingSeek {
 public:
  FFmpegSource();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return BaseFilter::QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return BaseFilter::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return BaseFilter::Release(); }

  // IFileSourceFilter. Load fails with HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) for a file that does
  // not exist, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED) for one that cannot be read,
  // VFW_E_UNKNOWN_FILE_TYPE for content no demultiplexer recognises, VFW_E_INVALID_FILE_FORMAT for a
  // recognised file that cannot be read, VFW_E_UNSUPPORTED_STREAM when it holds no audio or video.
  HRESULT STDMETHODCALLTYPE Load(LPCOLESTR pszFileName, const AM_MEDIA_TYPE* pmt) override;
  HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* ppszFileName, AM_MEDIA_TYPE* pmt) override;

  // IMediaSeeking, in media time or (with a video frame rate) frames.
  HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* pCapabilities) override;
  HRESULT STDMETHODCALLTYPE CheckCapabilities(DWORD* pCapabilities) override;
  HRESULT STDMETHODCALLTYPE IsFormatSupported(const GUID* pFormat) override;
  HRESULT STDMETHODCALLTYPE QueryPreferredFormat(GUID* pFormat) override;
  HRESULT STDMETHODCALLTYPE GetTimeFormat(GUID* pFormat) override;
  HRESULT STDMETHODCALLTYPE IsUsingTimeFormat(const GUID* pFormat) override;
  HRESULT STDMETHODCALLTYPE SetTimeFormat(const GUID* pFormat) override;
  HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG* pDuration) override;
  HRESULT STDMETHODCALLTYPE GetStopPosition(LONGLONG* pStop) override;
  HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG* pCurrent) override;
  HRESULT STDMETHODCALLTYPE ConvertTimeFormat(LONGLONG* pTarget, const GUID* pTargetFormat, LONGLONG Source,
                                              const GUID* pSourceFormat) override;
  HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop,
                                         DWORD dwStopFlags) override;
  HRESULT STDMETHODCALLTYPE GetPositions(LONGLONG* pCurrent, LONGLONG* pStop) override;
  HRESULT STDMETHODCALLTYPE GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest) override;
  HRESULT STDMETHODCALLTYPE SetRate(double dRate) override;
  HRESULT STDMETHODCALLTYPE GetRate(double* pdRate) override;
  HRESULT STDMETHODCALLTYPE GetPreroll(LONGLONG* pllPreroll) override;
  HRESULT STDMETHODCALLTYPE SetPositionsAndRestart(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop,
                                                   DWORD dwStopFlags, void (*beforeRestart)(void*),
                                                   void* context) override;

  std::vector<BasePin*> Pins() override;

 private:
  ~FFmpegSource() override;

  HRESULT QueryExtra(REFIID riid, void** object) override;
  HRESULT OnPause(FILTER_STATE from) override;
  void OnStop() override;

  // Conversions between a time format and media time (100 ns).
  bool ToMediaTime(LONGLONG value, const GUID& format, REFERENCE_TIME& time) const;
  bool FromMediaTime(REFERENCE_TIME time, const GUID& format, LONGLONG& value) const;
  bool HasFrameRate() const { return frameRate_.num > 0 && frameRate_.den > 0; }
  REFERENCE_TIME End() const;  // the duration, or a far end when it is not known

  // Demultiplexing thread.
  void DemuxLoop();
  void SeekFile(REFERENCE_TIME target);
  void ResynchroniseTo(REFERENCE_TIME position);
  bool ReadPacket(AVPacket* packet);
  void DeliverPacket(SourcePin& pin, AVPacket* packet);
  void UpdateVideoDemand();
  void EndPin(SourcePin& pin);
  bool Idle() const;
  SourcePin* PinOf(int streamIndex);

  // Fixed by Load (before the filter first leaves Stopped):
  FormatContextPtr format_;  // used by the demultiplexing thread while active
  std::vector<std::unique_ptr<SourcePin>> pins_;
  std::u16string fileName_;
  REFERENCE_TIME duration_ = 0;
  REFERENCE_TIME fileStart_ = 0;
  AVRational frameRate_{0, 1};
  bool seekable_ = false;

  // Touched only by the demultiplexing thread:
  std::deque<PacketPtr> held_;  // read ahead while checking where a seek landed
  REFERENCE_TIME segment_ = 0;  // media time of the current segment's start
  REFERENCE_TIME segmentStop_ = 0;
  int readErrors_ = 0;

  // Its lock also guards the members below it.
  mutable StreamingHandshake handshake_;
  std::optional<REFERENCE_TIME> pendingSeek_;
  REFERENCE_TIME start_ = 0;  // the current segment's start (or the next one's while stopped)
  REFERENCE_TIME stop_ = 0;
  GUID timeFormat_ = TIME_FORMAT_MEDIA_TIME;

  std::thread thread_;
};

}  // namespace dshow
