// Interfaces that the filters of this layer use among themselves, beside the SDK's.
#pragma once

#include "platform/dshow/filter_interfaces.h"

struct AVFrame;
struct AVPacket;

// On input pins: whether decoded pictures are wanted downstream of this pin now. A video renderer
// wants them while its window can be seen; a sample grabber always. Pins without it are taken to
// want everything.
inline constexpr IID IID_IFrameDemand = {0xE1B64E0C, 0xCE08, 0x4553, {0xB1, 0x0D, 0x75, 0x24, 0x9D, 0xD9, 0x87, 0xDE}};
struct IFrameDemand : IUnknown {
  virtual BOOL STDMETHODCALLTYPE FramesWanted() = 0;
};
COM_INTERFACE_ID(IFrameDemand, IID_IFrameDemand);

// On samples that carry a decoded picture: the picture itself, so that a converter reads its planes
// without the packed copy that GetPointer makes. Valid while the sample is held.
inline constexpr IID IID_IAVFrameSample = {
    0x40213D5F, 0xEFFE, 0x459F, {0xA3, 0x51, 0xF7, 0xF5, 0xD6, 0xE2, 0x4D, 0x04}};
struct IAVFrameSample : IUnknown {
  virtual const AVFrame* STDMETHODCALLTYPE Frame() = 0;
};
COM_INTERFACE_ID(IAVFrameSample, IID_IAVFrameSample);

// On samples of a compressed stream: the demultiplexed packet, timestamps in the stream's time base.
inline constexpr IID IID_IAVPacketSample = {
    0x5C0B3A7E, 0x1D42, 0x4F8B, {0x9A, 0x61, 0x3E, 0x27, 0xC4, 0x90, 0x58, 0x1B}};
struct IAVPacketSample : IUnknown {
  virtual const AVPacket* STDMETHODCALLTYPE Packet() = 0;
};
COM_INTERFACE_ID(IAVPacketSample, IID_IAVPacketSample);

// On the source filter: a seek that lets the caller act once the pipeline is flushed and the new
// segment announced, before delivery starts again (the graph sets its new start time there).
inline constexpr IID IID_IRestartingSeek = {
    0x7A1E5C34, 0x6B0D, 0x4E2F, {0xB8, 0x15, 0x90, 0x3C, 0x4D, 0x2A, 0x71, 0xE6}};
struct IRestartingSeek : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetPositionsAndRestart(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop,
                                                           DWORD dwStopFlags, void (*beforeRestart)(void* context),
                                                           void* context) = 0;
};
COM_INTERFACE_ID(IRestartingSeek, IID_IRestartingSeek);

// On decoder filters: what went through them since they were created.
inline constexpr IID IID_IStreamStatistics = {
    0x1B8166F3, 0x906C, 0x404C, {0x94, 0xFD, 0x5A, 0xA8, 0x86, 0xB7, 0xA5, 0x6A}};
struct IStreamStatistics : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetCounts(LONGLONG* packetsReceived, LONGLONG* packetsDecoded,
                                              LONGLONG* framesDelivered) = 0;
};
COM_INTERFACE_ID(IStreamStatistics, IID_IStreamStatistics);
