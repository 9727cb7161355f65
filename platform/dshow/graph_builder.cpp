// Building graphs: intelligent connect, Render and RenderFile.
#include <array>

#include "platform/com/class_registry.h"
#include "platform/dshow/class_ids.h"
#include "platform/dshow/filter_graph.h"
#include "platform/dshow/pin_helpers.h"

namespace dshow {
namespace {

struct FilterClass {
  const CLSID& clsid;
  const char16_t* name;
};

// What intelligent connect may put between two pins, in the order it tries them.
const std::array<FilterClass, 3> kIntermediates = {{
    {CLSID_FFmpegVideoDecoder, u"Video Decoder"},
    {CLSID_FFmpegAudioDecoder, u"Audio Decoder"},
    {CLSID_Colour, u"Color Space Converter"},
}};
const FilterClass kVideoRenderer{CLSID_VideoRenderer, u"Video Renderer"};
const FilterClass kAudioRenderer{CLSID_DSoundRender, u"Audio Renderer"};

// Intermediate filters in a chain between the two pins, at most.
constexpr int kMaxDepth = 3;

bool IsConnectFailure(HRESULT hr) {
  return hr != VFW_E_NOT_STOPPED && hr != VFW_E_NOT_IN_GRAPH && hr != VFW_E_ALREADY_CONNECTED &&
         hr != VFW_E_INVALID_DIRECTION && hr != E_POINTER;
}

ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION direction, bool unconnectedOnly) {
  for (const auto& pin : PinsOf(filter))
    if (DirectionOf(pin.Get()) == direction && (!unconnectedOnly || !IsConnected(pin.Get()))) return pin;
  return nullptr;
}

bool HasOutputPins(IBaseFilter* filter) {
  for (const auto& pin : PinsOf(filter))
    if (DirectionOf(pin.Get()) == PINDIR_OUTPUT) return true;
  return false;
}

}  // namespace

HRESULT FilterGraph::Connect(IPin* ppinOut, IPin* ppinIn) {
  if (!ppinOut || !ppinIn) return E_POINTER;
  std::lock_guard lock(lock_);
  return ConnectLocked(ppinOut, ppinIn, 0);
}

HRESULT FilterGraph::ConnectLocked(IPin* out, IPin* in, int depth) {
  const HRESULT direct = ConnectDirectLocked(out, in, nullptr);
  if (SUCCEEDED(direct) || !IsConnectFailure(direct)) return direct;
  if (depth >= kMaxDepth) return VFW_E_CANNOT_CONNECT;
  // Through a filter that takes what the output gives and offers something the input takes.
  for (const FilterClass& candidate : kIntermediates) {
    ComPtr<IBaseFilter> filter;
    if (FAILED(CoCreateInstance(candidate.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.PutVoid())) ||
        !filter)
      continue;
    if (FAILED(AddFilterLocked(filter.Get(), candidate.name))) continue;
    for (const auto& candidateIn : PinsOf(filter.Get())) {
      if (DirectionOf(candidateIn.Get()) != PINDIR_INPUT ||
          FAILED(ConnectDirectLocked(out, candidateIn.Get(), nullptr)))
        continue;
      for (const auto& candidateOut : PinsOf(filter.Get())) {
        if (DirectionOf(candidateOut.Get()) == PINDIR_OUTPUT &&
            SUCCEEDED(ConnectLocked(candidateOut.Get(), in, depth + 1)))
          return S_OK;
      }
      out->Disconnect();
      candidateIn->Disconnect();
    }
    RemoveFilterLocked(filter.Get());
  }
  return VFW_E_CANNOT_CONNECT;
}

HRESULT FilterGraph::Render(IPin* ppinOut) {
  if (!ppinOut) return E_POINTER;
  std::lock_guard lock(lock_);
  if (!PinInGraph(ppinOut)) return VFW_E_NOT_IN_GRAPH;
  return RenderLocked(ppinOut, 0);
}

HRESULT FilterGraph::RenderLocked(IPin* out, int depth) {
  if (DirectionOf(out) != PINDIR_OUTPUT) return VFW_E_INVALID_DIRECTION;
  if (IsConnected(out)) return VFW_E_ALREADY_CONNECTED;
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  const GUID major = MajorTypeOf(out);
  const FilterClass* kind = major == MEDIATYPE_Video   ? &kVideoRenderer
                            : major == MEDIATYPE_Audio ? &kAudioRenderer
                                                       : nullptr;
  if (!kind) return VFW_E_CANNOT_RENDER;
  // A renderer of that kind already in the graph with a free input, else a new one.
  std::vector<ComPtr<IBaseFilter>> present;
  for (const Entry& entry : filters_) present.push_back(entry.filter);
  for (const auto& filter : present) {
    CLSID clsid{};
    if (FAILED(filter->GetClassID(&clsid)) || clsid != kind->clsid || HasOutputPins(filter.Get())) continue;
    if (ComPtr<IPin> in = FirstPin(filter.Get(), PINDIR_INPUT, true);
        in && SUCCEEDED(ConnectLocked(out, in.Get(), depth)))
      return S_OK;
  }
  ComPtr<IBaseFilter> renderer;
  const HRESULT created =
      CoCreateInstance(kind->clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, renderer.PutVoid());
  if (FAILED(created) || !renderer) return FAILED(created) ? created : E_FAIL;
  if (HRESULT hr = AddFilterLocked(renderer.Get(), kind->name); FAILED(hr)) return hr;
  ComPtr<IPin> in = FirstPin(renderer.Get(), PINDIR_INPUT, true);
  const HRESULT hr = in ? ConnectLocked(out, in.Get(), depth) : VFW_E_CANNOT_CONNECT;
  if (FAILED(hr)) RemoveFilterLocked(renderer.Get());
  return FAILED(hr) ? VFW_E_CANNOT_RENDER : S_OK;
}

HRESULT FilterGraph::AddSourceFilter(LPCWSTR lpcwstrFileName, LPCWSTR lpcwstrFilterName, IBaseFilter** ppFilter) {
  if (!lpcwstrFileName || !ppFilter) return E_POINTER;
  *ppFilter = nullptr;
  std::lock_guard lock(lock_);
  ComPtr<IBaseFilter> filter;
  const HRESULT hr = AddSourceFilterLocked(lpcwstrFileName, lpcwstrFilterName, filter);
  if (SUCCEEDED(hr)) *ppFilter = filter.Detach();
  return hr;
}

HRESULT FilterGraph::AddSourceFilterLocked(LPCWSTR file, LPCWSTR name, ComPtr<IBaseFilter>& filter) {
  if (FAILED(CoCreateInstance(CLSID_FFmpegSource, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.PutVoid())) ||
      !filter)
    return VFW_E_CANNOT_LOAD_SOURCE_FILTER;
  ComPtr<IFileSourceFilter> loader = filter.As<IFileSourceFilter>();
  if (!loader) return VFW_E_CANNOT_LOAD_SOURCE_FILTER;
  if (HRESULT hr = loader->Load(file, nullptr); FAILED(hr)) {
    filter = nullptr;
    return hr;
  }
  const HRESULT hr = AddFilterLocked(filter.Get(), WideString(name ? name : file));
  if (FAILED(hr)) filter = nullptr;
  return hr;
}

HRESULT FilterGraph::RenderFile(LPCWSTR lpcwstrFile, LPCWSTR) {
  if (!lpcwstrFile) return E_POINTER;
  std::lock_guard lock(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  ComPtr<IBaseFilter> source;
  if (HRESULT hr = AddSourceFilterLocked(lpcwstrFile, lpcwstrFile, source); FAILED(hr)) return hr;
  int rendered = 0, videoFailed = 0, audioFailed = 0;
  HRESULT firstFailure = S_OK;
  bool onlyUnconnectable = true;
  for (const auto& pin : PinsOf(source.Get())) {
    if (DirectionOf(pin.Get()) != PINDIR_OUTPUT) continue;
    const GUID major = MajorTypeOf(pin.Get());
    const HRESULT hr = RenderLocked(pin.Get(), 0);
    if (SUCCEEDED(hr)) {
      ++rendered;
      continue;
    }
    (major == MEDIATYPE_Video ? videoFailed : audioFailed)++;
    if (firstFailure == S_OK) firstFailure = hr;
    onlyUnconnectable = onlyUnconnectable && hr == VFW_E_CANNOT_RENDER;
  }
  if (rendered == 0) {
    // Nothing to play: the graph is left as it was.
    RemoveFilterLocked(source.Get());
    return onlyUnconnectable ? VFW_E_UNSUPPORTED_STREAM : firstFailure;
  }
  if (videoFailed == 0 && audioFailed == 0) return S_OK;
  if (audioFailed == 0) return VFW_S_VIDEO_NOT_RENDERED;
  if (videoFailed == 0) return VFW_S_AUDIO_NOT_RENDERED;
  return VFW_S_PARTIAL_RENDER;
}

HRESULT FilterGraph::RenderFile(BSTR strFilename) {
  return RenderFile(strFilename ? static_cast<LPCWSTR>(strFilename) : u"", nullptr);
}

HRESULT FilterGraph::AddSourceFilter(BSTR, IDispatch** ppUnk) {
  if (!ppUnk) return E_POINTER;
  *ppUnk = nullptr;
  return E_NOTIMPL;
}

HRESULT FilterGraph::get_FilterCollection(IDispatch** ppUnk) {
  if (!ppUnk) return E_POINTER;
  *ppUnk = nullptr;
  return E_NOTIMPL;
}

HRESULT FilterGraph::get_RegFilterCollection(IDispatch** ppUnk) {
  if (!ppUnk) return E_POINTER;
  *ppUnk = nullptr;
  return E_NOTIMPL;
}

}  // namespace dshow
