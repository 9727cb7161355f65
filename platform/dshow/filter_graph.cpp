// The filter graph: its filters, their connections, the clock and the order of state changes.
#include "platform/dshow/filter_graph.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "platform/dshow/class_ids.h"
#include "platform/dshow/filter_factories.h"
#include "platform/dshow/pin_helpers.h"
#include "platform/dshow/system_clock.h"

namespace dshow {

HRESULT CreateFilterGraph(IUnknown* outer, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  ComPtr<IGraphBuilder> graph = ComPtr<IGraphBuilder>::Attach(new FilterGraph);
  return graph->QueryInterface(riid, object);
}

FilterGraph::FilterGraph() { handle_->graph = this; }

FilterGraph::~FilterGraph() {
  {
    std::lock_guard lock(handle_->lock);  // waits for a posted task that is using the graph
    handle_->graph = nullptr;
  }
  std::vector<ComPtr<IBaseFilter>> filters;
  {
    std::lock_guard lock(lock_);
    StopLocked();
    for (const Entry& entry : filters_) filters.push_back(entry.filter);
  }
  // Break every connection (connected pins hold each other's filters), then leave the filters.
  for (const auto& filter : filters)
    for (const auto& pin : PinsOf(filter.Get())) pin->Disconnect();
  // A filter holds the clock, which may be a filter itself: let go of it first.
  for (const auto& filter : filters) filter->SetSyncSource(nullptr);
  for (const auto& filter : filters) filter->JoinFilterGraph(nullptr, nullptr);
  std::lock_guard lock(lock_);
  filters_.clear();
  clock_ = nullptr;
  std::lock_guard events(eventLock_);
  for (const Event& event : events_) FreeEventParams(event.code, event.param1, event.param2);
  events_.clear();
}

HRESULT FilterGraph::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IFilterGraph || riid == IID_IGraphBuilder)
    return Hand(static_cast<IGraphBuilder*>(this), object);
  if (riid == IID_IMediaControl || riid == IID_IDispatch) return Hand(static_cast<IMediaControl*>(this), object);
  if (riid == IID_IMediaEvent || riid == IID_IMediaEventEx) return Hand(static_cast<IMediaEventEx*>(this), object);
  if (riid == IID_IMediaSeeking) return Hand(static_cast<IMediaSeeking*>(this), object);
  if (riid == IID_IMediaEventSink) return Hand(static_cast<IMediaEventSink*>(this), object);
  if (riid == IID_IMediaFilter || riid == IID_IPersist) return Hand(static_cast<IMediaFilter*>(this), object);
  if (riid == IID_IBasicVideo) return Hand(static_cast<IBasicVideo*>(&video_), object);
  if (riid == IID_IVideoWindow) return Hand(static_cast<IVideoWindow*>(&video_), object);
  if (riid == IID_IBasicAudio) return Hand(static_cast<IBasicAudio*>(&audio_), object);
  *object = nullptr;
  return E_NOINTERFACE;
}

// ---- filters ----

bool FilterGraph::Contains(IBaseFilter* filter) const {
  return std::any_of(filters_.begin(), filters_.end(), [&](const Entry& e) { return e.filter.Get() == filter; });
}

bool FilterGraph::PinInGraph(IPin* pin) const {
  ComPtr<IBaseFilter> owner = OwnerOf(pin);
  return owner && Contains(owner.Get());
}

HRESULT FilterGraph::AddFilter(IBaseFilter* pFilter, LPCWSTR pName) {
  if (!pFilter) return E_POINTER;
  std::lock_guard lock(lock_);
  return AddFilterLocked(pFilter, WideString(pName));
}

HRESULT FilterGraph::AddFilterLocked(IBaseFilter* filter, const std::u16string& wanted) {
  if (Contains(filter)) return E_INVALIDARG;
  std::u16string name = wanted.substr(0, MAX_FILTER_NAME - 6);
  if (name.empty()) name = u"Filter";
  const auto taken = [&](const std::u16string& candidate) {
    return std::any_of(filters_.begin(), filters_.end(), [&](const Entry& e) { return e.name == candidate; });
  };
  HRESULT result = S_OK;
  if (taken(name)) {
    // Another filter has the name: the new one gets a number after it.
    const std::u16string base = name;
    for (int n = 1; taken(name); ++n) {
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, " %04d", n);
      name = base + WideFromUtf8(suffix);
    }
    result = VFW_S_DUPLICATE_NAME;
  }
  if (HRESULT hr = filter->JoinFilterGraph(this, name.c_str()); FAILED(hr)) return hr;
  filters_.push_back(Entry{ComPtr<IBaseFilter>(filter), name});
  ++version_;
  if (state_ != State_Stopped) {
    if (clock_) filter->SetSyncSource(clock_.Get());
  }
  return result;
}

HRESULT FilterGraph::RemoveFilter(IBaseFilter* pFilter) {
  if (!pFilter) return E_POINTER;
  std::lock_guard lock(lock_);
  return RemoveFilterLocked(pFilter);
}

HRESULT FilterGraph::RemoveFilterLocked(IBaseFilter* filter) {
  auto found = std::find_if(filters_.begin(), filters_.end(), [&](const Entry& e) { return e.filter.Get() == filter; });
  if (found == filters_.end()) return VFW_E_NOT_FOUND;
  ComPtr<IBaseFilter> keep = found->filter;
  keep->Stop();
  for (const auto& pin : PinsOf(filter)) {
    ComPtr<IPin> peer;
    if (SUCCEEDED(pin->ConnectedTo(peer.Put())) && peer) peer->Disconnect();
    pin->Disconnect();
  }
  ComPtr<IReferenceClock> ownClock = keep.As<IReferenceClock>();
  if (ownClock && clock_ == ownClock) {
    clock_ = nullptr;
    clockChosenByCaller_ = false;
    for (const Entry& entry : filters_) entry.filter->SetSyncSource(nullptr);
  }
  filters_.erase(found);
  ++version_;
  keep->SetSyncSource(nullptr);
  keep->JoinFilterGraph(nullptr, nullptr);
  return S_OK;
}

HRESULT FilterGraph::EnumFilters(IEnumFilters** ppEnum) {
  if (!ppEnum) return E_POINTER;
  ComPtr<IGraphBuilder> self(this);  // the enumerator keeps the graph
  auto source = std::make_shared<EnumSource<ComPtr<IBaseFilter>>>();
  source->snapshot = [self, this] {
    std::lock_guard lock(lock_);
    std::vector<ComPtr<IBaseFilter>> filters;
    for (const Entry& entry : filters_) filters.push_back(entry.filter);
    return filters;
  };
  source->version = [self, this] {
    std::lock_guard lock(lock_);
    return version_;
  };
  *ppEnum = new FilterEnumerator(source);
  return S_OK;
}

HRESULT FilterGraph::FindFilterByName(LPCWSTR pName, IBaseFilter** ppFilter) {
  if (!pName || !ppFilter) return E_POINTER;
  *ppFilter = nullptr;
  std::lock_guard lock(lock_);
  for (const Entry& entry : filters_) {
    if (entry.name == pName) {
      *ppFilter = ComPtr<IBaseFilter>(entry.filter).Detach();
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

// ---- connections ----

HRESULT FilterGraph::ConnectDirect(IPin* ppinOut, IPin* ppinIn, const AM_MEDIA_TYPE* pmt) {
  if (!ppinOut || !ppinIn) return E_POINTER;
  std::lock_guard lock(lock_);
  return ConnectDirectLocked(ppinOut, ppinIn, pmt);
}

HRESULT FilterGraph::ConnectDirectLocked(IPin* out, IPin* in, const AM_MEDIA_TYPE* mt) {
  if (!PinInGraph(out) || !PinInGraph(in)) return VFW_E_NOT_IN_GRAPH;
  if (DirectionOf(out) != PINDIR_OUTPUT || DirectionOf(in) != PINDIR_INPUT) return VFW_E_INVALID_DIRECTION;
  if (OwnerOf(out) == OwnerOf(in)) return VFW_E_CIRCULAR_GRAPH;
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  return out->Connect(in, mt);
}

HRESULT FilterGraph::Disconnect(IPin* ppin) {
  if (!ppin) return E_POINTER;
  std::lock_guard lock(lock_);
  if (!PinInGraph(ppin)) return VFW_E_NOT_IN_GRAPH;
  return ppin->Disconnect();
}

HRESULT FilterGraph::Reconnect(IPin* ppin) {
  if (!ppin) return E_POINTER;
  std::lock_guard lock(lock_);
  if (!PinInGraph(ppin)) return VFW_E_NOT_IN_GRAPH;
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  ComPtr<IPin> peer;
  if (FAILED(ppin->ConnectedTo(peer.Put())) || !peer) return VFW_E_NOT_CONNECTED;
  ComPtr<IPin> out(DirectionOf(ppin) == PINDIR_OUTPUT ? ppin : peer.Get());
  ComPtr<IPin> in(DirectionOf(ppin) == PINDIR_OUTPUT ? peer.Get() : ppin);
  AM_MEDIA_TYPE previous{};
  out->ConnectionMediaType(&previous);
  out->Disconnect();
  in->Disconnect();
  // Agree on a type afresh (a format upstream may have changed); failing that, the old one.
  HRESULT hr = out->Connect(in.Get(), nullptr);
  if (FAILED(hr)) hr = out->Connect(in.Get(), &previous);
  FreeMediaType(previous);
  return hr;
}

// ---- clock and order ----

HRESULT FilterGraph::SetDefaultSyncSource() {
  std::lock_guard lock(lock_);
  clockChosenByCaller_ = false;
  ChooseClockLocked();
  return S_OK;
}

void FilterGraph::ChooseClockLocked() {
  // The audio renderer's clock when there is one: the picture follows the sound.
  ComPtr<IReferenceClock> clock;
  for (const auto& renderer : RenderersLocked()) {
    clock = renderer.As<IReferenceClock>();
    if (clock) break;
  }
  if (!clock) clock = ComPtr<IReferenceClock>::Attach(new SystemClock);
  clock_ = clock;
  for (const Entry& entry : filters_) entry.filter->SetSyncSource(clock_.Get());
}

std::vector<ComPtr<IBaseFilter>> FilterGraph::RendererFirstLocked() const {
  // Downstream before upstream: each filter after every filter its outputs lead to.
  std::vector<ComPtr<IBaseFilter>> order;
  std::set<IBaseFilter*> visited;
  std::function<void(IBaseFilter*)> visit = [&](IBaseFilter* filter) {
    if (!visited.insert(filter).second) return;
    for (const auto& pin : PinsOf(filter)) {
      if (DirectionOf(pin.Get()) != PINDIR_OUTPUT) continue;
      ComPtr<IPin> peer;
      if (SUCCEEDED(pin->ConnectedTo(peer.Put())) && peer) {
        ComPtr<IBaseFilter> next = OwnerOf(peer.Get());
        if (next && Contains(next.Get())) visit(next.Get());
      }
    }
    order.emplace_back(filter);
  };
  for (const Entry& entry : filters_) visit(entry.filter.Get());
  return order;
}

std::vector<ComPtr<IBaseFilter>> FilterGraph::RenderersLocked() const {
  // Where streams end: a connected input and no connected output.
  std::vector<ComPtr<IBaseFilter>> renderers;
  for (const Entry& entry : filters_) {
    bool input = false, output = false;
    for (const auto& pin : PinsOf(entry.filter.Get())) {
      if (!IsConnected(pin.Get())) continue;
      (DirectionOf(pin.Get()) == PINDIR_INPUT ? input : output) = true;
    }
    if (input && !output) renderers.push_back(entry.filter);
  }
  return renderers;
}

ComPtr<IMediaSeeking> FilterGraph::SeekingLocked() const {
  for (const Entry& entry : filters_) {
    bool hasInput = false;
    for (const auto& pin : PinsOf(entry.filter.Get())) hasInput = hasInput || DirectionOf(pin.Get()) == PINDIR_INPUT;
    if (hasInput) continue;
    if (ComPtr<IMediaSeeking> seeking = entry.filter.As<IMediaSeeking>()) return seeking;
  }
  return nullptr;
}

// ---- IMediaFilter ----

HRESULT FilterGraph::GetClassID(CLSID* pClassID) {
  if (!pClassID) return E_POINTER;
  *pClassID = CLSID_FilterGraph;
  return S_OK;
}

HRESULT FilterGraph::Run(REFERENCE_TIME tStart) {
  std::lock_guard lock(lock_);
  if (state_ == State_Stopped)
    if (HRESULT hr = PauseLocked(); FAILED(hr)) return hr;
  return RunLocked(tStart);
}

HRESULT FilterGraph::GetState(DWORD dwMilliSecsTimeout, FILTER_STATE* State) {
  if (!State) return E_POINTER;
  OAFilterState state = State_Stopped;
  const HRESULT hr = GetState(
      dwMilliSecsTimeout == INFINITE ? static_cast<LONG>(INFINITE) : static_cast<LONG>(dwMilliSecsTimeout), &state);
  *State = static_cast<FILTER_STATE>(state);
  return hr;
}

HRESULT FilterGraph::SetSyncSource(IReferenceClock* pClock) {
  std::lock_guard lock(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  clock_ = ComPtr<IReferenceClock>(pClock);
  clockChosenByCaller_ = true;
  for (const Entry& entry : filters_) entry.filter->SetSyncSource(pClock);
  return S_OK;
}

HRESULT FilterGraph::GetSyncSource(IReferenceClock** pClock) {
  if (!pClock) return E_POINTER;
  std::lock_guard lock(lock_);
  *pClock = ComPtr<IReferenceClock>(clock_).Detach();
  return S_OK;
}

}  // namespace dshow
