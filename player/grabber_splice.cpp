// Splicing the sample grabber into the player's graph between the video's last filter and the
// video renderer, and taking it out of service again.
#include <algorithm>

#include "platform/com/class_registry.h"
#include "player/active_movie.h"
#include "player/sample_grabber_cb.h"

namespace {

constexpr char16_t kGrabberName[] = u"Sample Grabber";
constexpr std::size_t kFilterNameLength = 128;

// The first of the filter's pins in that direction; `count` receives how many it has.
ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION direction, int* count = nullptr) {
  ComPtr<IPin> first;
  int n = 0;
  ComPtr<IEnumPins> pins;
  if (SUCCEEDED(filter->EnumPins(pins.Put())) && pins) {
    IPin* next = nullptr;
    ULONG fetched = 0;
    while (pins->Next(1, &next, &fetched) == S_OK && fetched == 1) {
      ComPtr<IPin> pin = ComPtr<IPin>::Attach(next);
      PIN_DIRECTION pinDirection = PINDIR_INPUT;
      if (FAILED(pin->QueryDirection(&pinDirection)) || pinDirection != direction) continue;
      if (++n == 1) first = pin;
    }
  }
  if (count) *count = n;
  return first;
}

// The first filter with exactly one input pin and no output pin whose input carries video.
ComPtr<IBaseFilter> FindVideoRenderer(IFilterGraph* graph) {
  ComPtr<IEnumFilters> filters;
  if (FAILED(graph->EnumFilters(filters.Put())) || !filters) return nullptr;
  IBaseFilter* next = nullptr;
  ULONG fetched = 0;
  while (filters->Next(1, &next, &fetched) == S_OK) {
    ComPtr<IBaseFilter> filter = ComPtr<IBaseFilter>::Attach(next);
    int inputs = 0, outputs = 0;
    ComPtr<IPin> input = FirstPin(filter.Get(), PINDIR_INPUT, &inputs);
    FirstPin(filter.Get(), PINDIR_OUTPUT, &outputs);
    if (inputs != 1 || outputs != 0) continue;
    AM_MEDIA_TYPE type{};
    if (FAILED(input->ConnectionMediaType(&type))) continue;
    const bool video = type.majortype == MEDIATYPE_Video;
    FreeMediaType(type);
    if (video) return filter;
  }
  return nullptr;
}

// The name of the filter that owns the pin.
WideString OwnerName(IPin* pin) {
  PIN_INFO info{};
  if (FAILED(pin->QueryPinInfo(&info)) || !info.pFilter) return {};
  ComPtr<IBaseFilter> owner = ComPtr<IBaseFilter>::Attach(info.pFilter);
  FILTER_INFO filter{};
  if (FAILED(owner->QueryFilterInfo(&filter))) return {};
  if (filter.pGraph) filter.pGraph->Release();
  const WCHAR* name = filter.achName;
  std::size_t length = 0;
  while (length < kFilterNameLength && name[length]) ++length;
  return WideString(name, length);
}

// What the grabber takes: uncompressed 24-bit RGB frames with a video-info header.
AM_MEDIA_TYPE GrabberType() {
  AM_MEDIA_TYPE type{};
  type.majortype = MEDIATYPE_Video;
  type.subtype = MEDIASUBTYPE_RGB24;
  type.formattype = FORMAT_VideoInfo;
  type.bFixedSizeSamples = TRUE;
  type.bTemporalCompression = FALSE;
  type.lSampleSize = 1;
  return type;
}

}  // namespace

bool TActiveMovie::SpliceGrabber() {
  RetireGrabber();

  auto compatibility = ComPtr<IOleObject>(movie_->OleObject()).As<IMediaPlayerCompatibility>();
  if (!compatibility) return false;
  ComPtr<IUnknown> graphObject;
  if (FAILED(compatibility->get_FilterGraph(graphObject.Put())) || !graphObject) return false;
  ComPtr<IFilterGraph> graph = graphObject.As<IFilterGraph>();
  if (!graph) return false;
  dxFilters_.BasicVideo = graph.As<IBasicVideo>();
  dxFilters_.MediaControl = graph.As<IMediaControl>();
  if (!dxFilters_.BasicVideo || !dxFilters_.MediaControl) return false;

  grabber_->SetWindow(Handle());
  if (NativeVideoWidth() == 0 && !displayLogo_) videoHidden_ = true;

  dxFilters_.MediaControl->Stop();
  ComPtr<IGraphBuilder> builder = graph.As<IGraphBuilder>();
  dxFilters_.MediaSeeking = graph.As<IMediaSeeking>();
  if (!builder) return false;

  ComPtr<IBaseFilter> renderer = FindVideoRenderer(graph.Get());
  if (!renderer) return false;
  ComPtr<IPin> rendererIn = FirstPin(renderer.Get(), PINDIR_INPUT);
  ComPtr<IPin> upstream;
  if (!rendererIn || FAILED(rendererIn->ConnectedTo(upstream.Put())) || !upstream) return false;
  graph->Disconnect(rendererIn.Get());
  graph->Disconnect(upstream.Get());

  // From here on a failure puts the old connection back.
  ComPtr<IBaseFilter> grabberFilter;
  ComPtr<IPin> grabberIn;
  ComPtr<IPin> grabberOut;
  const auto restore = [&] {
    if (grabberIn) graph->Disconnect(grabberIn.Get());
    if (grabberOut) graph->Disconnect(grabberOut.Get());
    graph->Disconnect(rendererIn.Get());
    graph->Disconnect(upstream.Get());
    if (grabberFilter) graph->RemoveFilter(grabberFilter.Get());
    builder->Connect(upstream.Get(), rendererIn.Get());
    return false;
  };

  ComPtr<ISampleGrabber>& sampleGrabber = dxFilters_.SampleGrabber;
  if (FAILED(CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_ISampleGrabber,
                              sampleGrabber.PutVoid())) ||
      !sampleGrabber)
    return restore();
  sampleGrabber->SetBufferSamples(FALSE);
  sampleGrabber->SetOneShot(FALSE);
  sampleGrabber->SetCallback(grabber_.get(), 1);
  grabberFilter = sampleGrabber.As<IBaseFilter>();
  if (!grabberFilter) return restore();
  oleStrings_.emplace_back(std::u16string(kGrabberName));
  if (FAILED(graph->AddFilter(grabberFilter.Get(), oleStrings_.back().Get()))) {
    grabberFilter = nullptr;  // not in the graph
    return restore();
  }

  grabberIn = FirstPin(grabberFilter.Get(), PINDIR_INPUT);
  grabberOut = FirstPin(grabberFilter.Get(), PINDIR_OUTPUT);
  if (!grabberIn || !grabberOut) return restore();
  const AM_MEDIA_TYPE wanted = GrabberType();
  if (FAILED(sampleGrabber->SetMediaType(&wanted))) return restore();
  if (FAILED(builder->Connect(upstream.Get(), grabberIn.Get())) ||
      FAILED(builder->Connect(grabberOut.Get(), rendererIn.Get())))
    return restore();

  grabberStatus_ = OwnerName(upstream.Get());

  grabberReady_ = false;
  BYTE formatKind = 0;
  AM_MEDIA_TYPE connected{};
  if (SUCCEEDED(sampleGrabber->GetConnectedMediaType(&connected))) {
    formatKind = grabber_->SetMediaType(connected);
    FreeMediaType(connected);
  }
  if (formatKind == 0) return restore();
  grabberReady_ = true;
  dxFilters_.MediaControl->Run();
  return true;
}

void TActiveMovie::RetireGrabber() {
  grabberReady_ = false;
  dxFilters_.MediaSeeking = nullptr;
  dxFilters_.BasicVideo = nullptr;
  dxFilters_.MediaControl = nullptr;
  grabber_->SetBurstCount(fGrabberBurstCount_);
  grabber_->SetBurstInterval(fGrabberBurstInterval_);
  grabber_->SetBurstMode(fGrabberBurstMode_);
  if (dxFilters_.SampleGrabber) {
    dxFilters_.SampleGrabber->SetCallback(nullptr, 1);
    dxFilters_.SampleGrabber = nullptr;
  }
  grabber_->ClearMediaType();
}
