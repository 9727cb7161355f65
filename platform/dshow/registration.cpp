#include "platform/dshow/registration.h"

#include <mutex>

#include "platform/com/class_registry.h"
#include "platform/dshow/dshow.h"
#include "platform/dshow/filter_factories.h"
#include "platform/dshow/renderer_window.h"

extern "C" {
#include <libavutil/log.h>
}

namespace dshow {

void RegisterClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Problems with a file are reported through return codes and graph events, not on the console.
    av_log_set_level(AV_LOG_FATAL);
    com::RegisterClass(CLSID_FilterGraph, "Filter Graph", CreateFilterGraph);
    com::RegisterClass(CLSID_SampleGrabber, "SampleGrabber", CreateSampleGrabber);
    com::RegisterClass(CLSID_FFmpegSource, "File Source (FFmpeg)", CreateFFmpegSource);
    com::RegisterClass(CLSID_FFmpegVideoDecoder, "Video Decoder (FFmpeg)", CreateVideoDecoder);
    com::RegisterClass(CLSID_FFmpegAudioDecoder, "Audio Decoder (FFmpeg)", CreateAudioDecoder);
    com::RegisterClass(CLSID_Colour, "Color Space Converter", CreateColourConverter);
    com::RegisterClass(CLSID_VideoRenderer, "Video Renderer", CreateVideoRenderer);
    com::RegisterClass(CLSID_DSoundRender, "Audio Renderer", CreateAudioRenderer);
    RegisterRendererWindowClass();
  });
}

}  // namespace dshow
