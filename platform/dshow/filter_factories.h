// Class factories of the filters of this layer (registered by RegisterClasses).
#pragma once

#include "platform/com/unknown.h"

namespace dshow {
HRESULT CreateFFmpegSource(IUnknown* outer, REFIID riid, void** object);
HRESULT CreateVideoDecoder(IUnknown* outer, REFIID riid, void** object);
HRESULT CreateAudioDecoder(IUnknown* outer, REFIID riid, void** object);
HRESULT CreateColourConverter(IUnknown* outer, REFIID riid, void** object);
HRESULT CreateVideoRenderer(IUnknown* outer, REFIID riid, void** object);
HRESULT CreateAudioRenderer(IUnknown* outer, REFIID riid, void** object);
HRESULT CreateSampleGrabber(IUnknown* outer, REFIID riid, void** object);
HRESULT CreateFilterGraph(IUnknown* outer, REFIID riid, void** object);
}  // namespace dshow
