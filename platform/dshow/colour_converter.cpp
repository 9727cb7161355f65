// The colour converter: YUV or RGB pictures in, bottom-up RGB32 or RGB24 device-independent bitmaps
// of the same size out (libswscale). It converts on the thread that delivers to it.
#include "platform/dshow/filter_factories.h"

#include <cstdlib>

#include "platform/dshow/base_filter.h"
#include "platform/dshow/class_ids.h"
#include "platform/dshow/ffmpeg_util.h"
#include "platform/dshow/forwarding_input_pin.h"

extern "C" {
#include <libavutil/imgutils.h>
}

namespace dshow {
namespace {

AVPixelFormat PixelFormatOf(const GUID& subtype) {
  if (subtype == MEDIASUBTYPE_I420 || subtype == MEDIASUBTYPE_IYUV) return AV_PIX_FMT_YUV420P;
  if (subtype == MEDIASUBTYPE_YV12) return AV_PIX_FMT_YUV420P;  // planes swapped when read
  if (subtype == MEDIASUBTYPE_NV12) return AV_PIX_FMT_NV12;
  if (subtype == MEDIASUBTYPE_YUY2) return AV_PIX_FMT_YUYV422;
  if (subtype == MEDIASUBTYPE_UYVY) return AV_PIX_FMT_UYVY422;
  if (subtype == MEDIASUBTYPE_RGB24) return AV_PIX_FMT_BGR24;
  if (subtype == MEDIASUBTYPE_RGB32) return AV_PIX_FMT_BGRA;
  return AV_PIX_FMT_NONE;
}

bool IsRgb(const GUID& subtype) { return subtype == MEDIASUBTYPE_RGB24 || subtype == MEDIASUBTYPE_RGB32; }

class ColourConverter;

class ConverterOutput final : public OutputPin {
 public:
  explicit ConverterOutput(ColourConverter& owner);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
  bool GetMediaType(int index, MediaType& mt) override;

 protected:
  bool DecideBufferSize(ALLOCATOR_PROPERTIES& props) override;

 private:
  ColourConverter& owner_;
};

class ColourConverter final : public BaseFilter, private InputHandler {
 public:
  ColourConverter() : BaseFilter(CLSID_Colour), input_(*this, u"Input", *this), output_(*this) {}
  ~ColourConverter() override { Stop(); }

  std::vector<BasePin*> Pins() override { return {&input_, &output_}; }

  ForwardingInputPin input_;
  ConverterOutput output_;

 private:
  // The input pin's calls: each picture is converted on the delivering thread; the rest passes on.
  HRESULT CheckInputType(const AM_MEDIA_TYPE& mt) override;
  HRESULT OnReceive(IMediaSample* in) override;
  HRESULT OnEndOfStream() override { return output_.DeliverEndOfStream(); }
  HRESULT OnBeginFlush() override { return output_.DeliverBeginFlush(); }
  HRESULT OnEndFlush() override { return output_.DeliverEndFlush(); }
  HRESULT OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override {
    return output_.DeliverNewSegment(start, stop, rate);
  }
  bool InputWantsFrames() override { return output_.DownstreamWantsFrames(); }

  HRESULT OnPause(FILTER_STATE from) override { return from == State_Stopped ? output_.CommitAllocator() : S_OK; }
  void OnStop() override { output_.DecommitAllocator(); }
  bool ReadPlanes(IMediaSample* in, const MediaType& inType, const AVFrame*& frame, AVFrame& planes);
  void SetColourDetails(const MediaType& inType, const AVFrame& source);

  // Used on the delivering thread only:
  SwsPtr scaler_;
  int scalerFormat_ = AV_PIX_FMT_NONE;
  int scalerWidth_ = 0;
  int scalerHeight_ = 0;
  int scalerOutFormat_ = AV_PIX_FMT_NONE;
};

ConverterOutput::ConverterOutput(ColourConverter& owner) : OutputPin(owner, u"Output"), owner_(owner) {}

HRESULT ConverterOutput::CheckMediaType(const AM_MEDIA_TYPE& mt) {
  if (!owner_.input_.IsConnected()) return S_FALSE;
  if (mt.majortype != MEDIATYPE_Video || !IsRgb(mt.subtype)) return S_FALSE;
  const BITMAPINFOHEADER* header = BitmapHeaderOf(mt);
  const MediaType inType = owner_.input_.ConnectionType();
  const BITMAPINFOHEADER* in = inType.BitmapHeader();
  if (!header || !in || header->biWidth != in->biWidth || std::abs(header->biHeight) != std::abs(in->biHeight))
    return S_FALSE;
  if (header->biBitCount != (mt.subtype == MEDIASUBTYPE_RGB32 ? 32 : 24)) return S_FALSE;
  return S_OK;
}

bool ConverterOutput::GetMediaType(int index, MediaType& mt) {
  if (index < 0 || index > 1 || !owner_.input_.IsConnected()) return false;
  const MediaType inType = owner_.input_.ConnectionType();
  const BITMAPINFOHEADER* in = inType.BitmapHeader();
  if (!in) return false;
  const bool rgb32 = index == 0;
  VIDEOINFOHEADER info{};
  info.AvgTimePerFrame = inType.AvgTimePerFrame();
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = in->biWidth;
  info.bmiHeader.biHeight = std::abs(in->biHeight);  // bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = rgb32 ? 32 : 24;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biSizeImage =
      win32::DibRowBytes(info.bmiHeader.biWidth, info.bmiHeader.biBitCount) * info.bmiHeader.biHeight;
  mt = MediaType();
  mt->majortype = MEDIATYPE_Video;
  mt->subtype = rgb32 ? MEDIASUBTYPE_RGB32 : MEDIASUBTYPE_RGB24;
  mt->bFixedSizeSamples = TRUE;
  mt->lSampleSize = info.bmiHeader.biSizeImage;
  mt->formattype = FORMAT_VideoInfo;
  mt.SetFormat(&info, sizeof info);
  return true;
}

bool ConverterOutput::DecideBufferSize(ALLOCATOR_PROPERTIES& props) {
  const MediaType type = ConnectionType();
  const BITMAPINFOHEADER* header = type.BitmapHeader();
  if (!header) return false;
  props.cBuffers = 3;
  props.cbBuffer =
      static_cast<LONG>(win32::DibRowBytes(header->biWidth, header->biBitCount) * std::abs(header->biHeight));
  props.cbAlign = 16;
  return true;
}

// The planes of the input picture: the decoder's own picture when the sample carries one, else
// the packed buffer laid out by the input type.
bool ColourConverter::ReadPlanes(IMediaSample* in, const MediaType& inType, const AVFrame*& frame, AVFrame& planes) {
  ComPtr<IAVFrameSample> carried;
  if (SUCCEEDED(in->QueryInterface(IID_IAVFrameSample, carried.PutVoid())) && carried && carried->Frame()) {
    frame = carried->Frame();
    return true;
  }
  const BITMAPINFOHEADER* header = inType.BitmapHeader();
  BYTE* data = nullptr;
  if (!header || FAILED(in->GetPointer(&data)) || !data) return false;
  const AVPixelFormat format = PixelFormatOf(inType->subtype);
  const int width = header->biWidth;
  const int height = std::abs(header->biHeight);
  if (av_image_fill_arrays(planes.data, planes.linesize, data, format, width, height, IsRgb(inType->subtype) ? 4 : 1) <
      0)
    return false;
  if (in->GetActualDataLength() < av_image_get_buffer_size(format, width, height, IsRgb(inType->subtype) ? 4 : 1))
    return false;
  if (inType->subtype == MEDIASUBTYPE_YV12) std::swap(planes.data[1], planes.data[2]);
  if (IsRgb(inType->subtype) && header->biHeight > 0) {  // bottom-up: start at the last row
    planes.data[0] += static_cast<std::ptrdiff_t>(planes.linesize[0]) * (height - 1);
    planes.linesize[0] = -planes.linesize[0];
  }
  planes.format = format;
  planes.width = width;
  planes.height = height;
  frame = &planes;
  return true;
}

void ColourConverter::SetColourDetails(const MediaType& inType, const AVFrame& source) {
  // Matrix and range: from the input type's colour description, else the picture's, else by size.
  int matrix = SWS_CS_DEFAULT;
  int fullRange = 0;
  bool known = false;
  if (inType->formattype == FORMAT_VideoInfo2 && inType->cbFormat >= sizeof(VIDEOINFOHEADER2)) {
    const DWORD flags = reinterpret_cast<const VIDEOINFOHEADER2*>(inType->pbFormat)->dwControlFlags;
    if (flags & AMCONTROL_COLORINFO_PRESENT) {
      const DWORD range = (flags >> 12) & 0x7;
      const DWORD transfer = (flags >> 15) & 0x7;
      fullRange = range == 1;
      if (transfer == 1)
        matrix = SWS_CS_ITU709;
      else if (transfer == 2)
        matrix = SWS_CS_ITU601;
      else if (transfer == 3)
        matrix = SWS_CS_SMPTE240M;
      known = transfer != 0;
    }
  }
  if (!known) {
    if (source.colorspace == AVCOL_SPC_BT709)
      matrix = SWS_CS_ITU709;
    else if (source.colorspace == AVCOL_SPC_BT470BG || source.colorspace == AVCOL_SPC_SMPTE170M)
      matrix = SWS_CS_ITU601;
    else
      matrix = source.height >= 720 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    if (source.color_range == AVCOL_RANGE_JPEG || source.format == AV_PIX_FMT_YUVJ420P) fullRange = 1;
  }
  const int* coefficients = sws_getCoefficients(matrix);
  sws_setColorspaceDetails(scaler_.get(), coefficients, fullRange, sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16,
                           1 << 16);
}

HRESULT ColourConverter::CheckInputType(const AM_MEDIA_TYPE& mt) {
  if (mt.majortype != MEDIATYPE_Video || PixelFormatOf(mt.subtype) == AV_PIX_FMT_NONE) return S_FALSE;
  const BITMAPINFOHEADER* header = BitmapHeaderOf(mt);
  if (!header || header->biWidth <= 0 || header->biHeight == 0) return S_FALSE;
  return S_OK;
}

HRESULT ColourConverter::OnReceive(IMediaSample* in) {
  if (State() == State_Stopped) return VFW_E_WRONG_STATE;
  const MediaType inType = input_.ConnectionType();
  const MediaType outType = output_.ConnectionType();
  const BITMAPINFOHEADER* outHeader = outType.BitmapHeader();
  if (!outHeader) return VFW_E_NOT_CONNECTED;

  AVFrame planes{};
  const AVFrame* source = nullptr;
  if (!ReadPlanes(in, inType, source, planes)) return S_OK;  // nothing to show for this one

  const AVPixelFormat outFormat = outType->subtype == MEDIASUBTYPE_RGB32 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
  const int width = outHeader->biWidth;
  const int height = std::abs(outHeader->biHeight);
  if (!scaler_ || scalerFormat_ != source->format || scalerWidth_ != source->width || scalerHeight_ != source->height ||
      scalerOutFormat_ != outFormat) {
    scaler_.reset(sws_getContext(source->width, source->height, static_cast<AVPixelFormat>(source->format), width,
                                 height, outFormat, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scaler_) return S_OK;
    scalerFormat_ = source->format;
    scalerWidth_ = source->width;
    scalerHeight_ = source->height;
    scalerOutFormat_ = outFormat;
    SetColourDetails(inType, *source);
  }

  IMediaSample* out = nullptr;
  if (HRESULT hr = output_.GetDeliveryBuffer(&out); FAILED(hr)) return hr == VFW_E_NOT_COMMITTED ? S_FALSE : hr;
  BYTE* data = nullptr;
  out->GetPointer(&data);
  const int stride = static_cast<int>(win32::DibRowBytes(width, outHeader->biBitCount));
  uint8_t* target[4] = {data, nullptr, nullptr, nullptr};
  int targetStride[4] = {stride, 0, 0, 0};
  if (outHeader->biHeight > 0) {  // bottom-up rows
    target[0] = data + static_cast<std::ptrdiff_t>(stride) * (height - 1);
    targetStride[0] = -stride;
  }
  sws_scale(scaler_.get(), source->data, source->linesize, 0, source->height, target, targetStride);
  out->SetActualDataLength(stride * height);
  REFERENCE_TIME start = 0, stop = 0;
  if (SUCCEEDED(in->GetTime(&start, &stop))) out->SetTime(&start, &stop);
  out->SetSyncPoint(TRUE);
  out->SetDiscontinuity(in->IsDiscontinuity() == S_OK);
  const HRESULT hr = output_.Deliver(out);
  out->Release();
  return hr;
}

}  // namespace

HRESULT CreateColourConverter(IUnknown* outer, REFIID riid, void** object) {
  return CreateFilterInstance<ColourConverter>(outer, riid, object);
}

}  // namespace dshow
