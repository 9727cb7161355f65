#include "platform/dshow/base_filter.h"

#include <memory>

#include "platform/dshow/enumerators.h"

namespace dshow {

// ---- BasePin ----

BasePin::BasePin(BaseFilter& filter, std::u16string name, PIN_DIRECTION direction)
    : filter_(filter), name_(std::move(name)), direction_(direction) {}

HRESULT BasePin::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IPin) return Hand(static_cast<IPin*>(this), object);
  *object = nullptr;
  return QueryExtra(riid, object);
}

HRESULT BasePin::QueryExtra(REFIID, void**) { return E_NOINTERFACE; }

ULONG BasePin::AddRef() { return filter_.AddRef(); }
ULONG BasePin::Release() { return filter_.Release(); }

HRESULT BasePin::CheckStopped() const { return filter_.State() == State_Stopped ? S_OK : VFW_E_NOT_STOPPED; }

bool BasePin::IsConnected() const {
  std::lock_guard lock(connectionLock_);
  return static_cast<bool>(peer_);
}

ComPtr<IPin> BasePin::Peer() const {
  std::lock_guard lock(connectionLock_);
  return peer_;
}

MediaType BasePin::ConnectionType() const {
  std::lock_guard lock(connectionLock_);
  return type_;
}

void BasePin::SetConnection(IPin* peer, const AM_MEDIA_TYPE* mt) {
  std::lock_guard lock(connectionLock_);
  peer_ = ComPtr<IPin>(peer);
  if (mt)
    type_ = MediaType(*mt);
  else
    type_.Clear();
}

bool BasePin::GetMediaType(int, MediaType&) { return false; }

HRESULT BasePin::CompleteConnect(IPin*) { return S_OK; }

HRESULT BasePin::Disconnect() {
  if (HRESULT hr = CheckStopped(); FAILED(hr)) return hr;
  if (!IsConnected()) return S_FALSE;
  BreakConnect();
  SetConnection(nullptr, nullptr);
  return S_OK;
}

HRESULT BasePin::ConnectedTo(IPin** pPin) {
  if (!pPin) return E_POINTER;
  ComPtr<IPin> peer = Peer();
  *pPin = peer.Detach();
  return *pPin ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT BasePin::ConnectionMediaType(AM_MEDIA_TYPE* pmt) {
  if (!pmt) return E_POINTER;
  std::lock_guard lock(connectionLock_);
  if (!peer_) {
    *pmt = AM_MEDIA_TYPE{};
    return VFW_E_NOT_CONNECTED;
  }
  return CopyMediaType(pmt, &type_.Get());
}

HRESULT BasePin::QueryPinInfo(PIN_INFO* pInfo) {
  if (!pInfo) return E_POINTER;
  pInfo->pFilter = &filter_;
  filter_.AddRef();
  pInfo->dir = direction_;
  CopyName(pInfo->achName, name_);
  return S_OK;
}

HRESULT BasePin::QueryDirection(PIN_DIRECTION* pPinDir) {
  if (!pPinDir) return E_POINTER;
  *pPinDir = direction_;
  return S_OK;
}

HRESULT BasePin::QueryId(LPWSTR* Id) {
  if (!Id) return E_POINTER;
  *Id = TaskMemString(name_);
  return *Id ? S_OK : E_OUTOFMEMORY;
}

HRESULT BasePin::QueryAccept(const AM_MEDIA_TYPE* pmt) {
  if (!pmt) return E_POINTER;
  return CheckMediaType(*pmt) == S_OK ? S_OK : S_FALSE;
}

HRESULT BasePin::EnumMediaTypes(IEnumMediaTypes** ppEnum) {
  if (!ppEnum) return E_POINTER;
  ComPtr<IPin> self(this);  // keeps the filter alive as long as the enumerator
  auto source = std::make_shared<EnumSource<MediaType>>();
  source->snapshot = [self, this] {
    std::vector<MediaType> types;
    MediaType mt;
    for (int i = 0; GetMediaType(i, mt); ++i) types.push_back(mt);
    return types;
  };
  *ppEnum = new MediaTypeEnumerator(source);
  return S_OK;
}

HRESULT BasePin::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }

// ---- InputPin ----

InputPin::InputPin(BaseFilter& filter, std::u16string name) : BasePin(filter, std::move(name), PINDIR_INPUT) {}

HRESULT InputPin::QueryExtra(REFIID riid, void** object) {
  if (riid == IID_IMemInputPin) return Hand(static_cast<IMemInputPin*>(this), object);
  return E_NOINTERFACE;
}

HRESULT InputPin::Connect(IPin* pReceivePin, const AM_MEDIA_TYPE*) {
  if (!pReceivePin) return E_POINTER;
  return VFW_E_INVALID_DIRECTION;  // connections are led by output pins
}

HRESULT InputPin::ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) {
  if (!pConnector || !pmt) return E_POINTER;
  if (IsConnected()) return VFW_E_ALREADY_CONNECTED;
  if (HRESULT hr = CheckStopped(); FAILED(hr)) return hr;
  PIN_DIRECTION direction;
  if (FAILED(pConnector->QueryDirection(&direction)) || direction != PINDIR_OUTPUT) return VFW_E_INVALID_DIRECTION;
  if (CheckMediaType(*pmt) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
  SetConnection(pConnector, pmt);
  if (HRESULT hr = CompleteConnect(pConnector); FAILED(hr)) {
    BreakConnect();
    SetConnection(nullptr, nullptr);
    return hr;
  }
  return S_OK;
}

HRESULT InputPin::GetAllocator(IMemAllocator** ppAllocator) {
  if (!ppAllocator) return E_POINTER;
  *ppAllocator = nullptr;
  return VFW_E_NO_ALLOCATOR;  // the output pin brings its own
}

HRESULT InputPin::NotifyAllocator(IMemAllocator* pAllocator, BOOL) {
  if (!pAllocator) return E_POINTER;
  std::lock_guard lock(allocatorLock_);
  allocator_ = ComPtr<IMemAllocator>(pAllocator);
  return S_OK;
}

HRESULT InputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps) {
  if (!pProps) return E_POINTER;
  return E_NOTIMPL;
}

HRESULT InputPin::ReceiveMultiple(IMediaSample** pSamples, LONG nSamples, LONG* nSamplesProcessed) {
  if (!pSamples || !nSamplesProcessed) return E_POINTER;
  *nSamplesProcessed = 0;
  HRESULT hr = S_OK;
  for (LONG i = 0; i < nSamples && hr == S_OK; ++i) {
    hr = Receive(pSamples[i]);
    if (hr == S_OK) ++*nSamplesProcessed;
  }
  return hr;
}

void InputPin::BreakConnect() {
  std::lock_guard lock(allocatorLock_);
  allocator_ = nullptr;
}

// ---- OutputPin ----

OutputPin::OutputPin(BaseFilter& filter, std::u16string name) : BasePin(filter, std::move(name), PINDIR_OUTPUT) {}

HRESULT OutputPin::ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) {
  if (!pConnector || !pmt) return E_POINTER;
  return VFW_E_INVALID_DIRECTION;
}

HRESULT OutputPin::Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) {
  if (!pReceivePin) return E_POINTER;
  if (IsConnected()) return VFW_E_ALREADY_CONNECTED;
  if (HRESULT hr = CheckStopped(); FAILED(hr)) return hr;
  PIN_DIRECTION direction;
  if (FAILED(pReceivePin->QueryDirection(&direction)) || direction != PINDIR_INPUT) return VFW_E_INVALID_DIRECTION;

  if (pmt && IsFullySpecified(*pmt)) {
    if (CheckMediaType(*pmt) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
    return TryConnect(pReceivePin, *pmt);
  }
  // Our own types first, then what the other pin prefers; a partial type narrows both.
  const AM_MEDIA_TYPE any{};
  const AM_MEDIA_TYPE& pattern = pmt ? *pmt : any;
  bool anyType = false;
  MediaType mt;
  for (int i = 0; GetMediaType(i, mt); ++i) {
    anyType = true;
    if (MatchesPartial(mt.Get(), pattern) && SUCCEEDED(TryConnect(pReceivePin, mt.Get()))) return S_OK;
  }
  ComPtr<IEnumMediaTypes> types;
  if (SUCCEEDED(pReceivePin->EnumMediaTypes(types.Put())) && types) {
    AM_MEDIA_TYPE* offered = nullptr;
    ULONG fetched = 0;
    while (types->Next(1, &offered, &fetched) == S_OK && fetched == 1) {
      anyType = true;
      std::unique_ptr<AM_MEDIA_TYPE, void (*)(AM_MEDIA_TYPE*)> owned(offered, DeleteMediaType);
      if (MatchesPartial(*offered, pattern) && CheckMediaType(*offered) == S_OK &&
          SUCCEEDED(TryConnect(pReceivePin, *offered)))
        return S_OK;
    }
  }
  return anyType ? VFW_E_NO_ACCEPTABLE_TYPES : VFW_E_NO_TYPES;
}

HRESULT OutputPin::TryConnect(IPin* receivePin, const AM_MEDIA_TYPE& mt) {
  SetConnection(receivePin, &mt);
  HRESULT hr = receivePin->ReceiveConnection(this, &mt);
  if (FAILED(hr)) {
    SetConnection(nullptr, nullptr);
    return hr;
  }
  hr = CompleteConnect(receivePin);
  if (FAILED(hr)) {
    receivePin->Disconnect();
    BreakConnect();
    SetConnection(nullptr, nullptr);
  }
  return hr;
}

bool OutputPin::DecideBufferSize(ALLOCATOR_PROPERTIES&) { return false; }

HRESULT OutputPin::CompleteConnect(IPin* peer) {
  ComPtr<IMemInputPin> input;
  if (FAILED(peer->QueryInterface(IID_IMemInputPin, input.PutVoid())) || !input) return VFW_E_NO_TRANSPORT;
  ComPtr<IFrameDemand> demand;
  if (FAILED(peer->QueryInterface(IID_IFrameDemand, demand.PutVoid()))) demand = nullptr;

  ALLOCATOR_PROPERTIES request{};
  const bool pooled = DecideBufferSize(request);
  ComPtr<IMemAllocator> allocator = ComPtr<IMemAllocator>::Attach(new MemAllocator);
  if (pooled) {
    ALLOCATOR_PROPERTIES actual{};
    if (HRESULT hr = allocator->SetProperties(&request, &actual); FAILED(hr)) return hr;
  }
  if (HRESULT hr = input->NotifyAllocator(allocator.Get(), FALSE); FAILED(hr)) return hr;
  std::lock_guard lock(deliveryLock_);
  input_ = std::move(input);
  allocator_ = std::move(allocator);
  demand_ = std::move(demand);
  usesAllocator_ = pooled;
  return S_OK;
}

void OutputPin::BreakConnect() {
  std::lock_guard lock(deliveryLock_);
  input_ = nullptr;
  allocator_ = nullptr;
  demand_ = nullptr;
  usesAllocator_ = false;
}

HRESULT OutputPin::Deliver(IMediaSample* sample) {
  ComPtr<IMemInputPin> input;
  {
    std::lock_guard lock(deliveryLock_);
    input = input_;
  }
  return input ? input->Receive(sample) : VFW_E_NOT_CONNECTED;
}

HRESULT OutputPin::DeliverEndOfStream() {
  ComPtr<IPin> peer = Peer();
  return peer ? peer->EndOfStream() : VFW_E_NOT_CONNECTED;
}

HRESULT OutputPin::DeliverBeginFlush() {
  ComPtr<IPin> peer = Peer();
  return peer ? peer->BeginFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT OutputPin::DeliverEndFlush() {
  ComPtr<IPin> peer = Peer();
  return peer ? peer->EndFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT OutputPin::DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  ComPtr<IPin> peer = Peer();
  return peer ? peer->NewSegment(start, stop, rate) : VFW_E_NOT_CONNECTED;
}

HRESULT OutputPin::GetDeliveryBuffer(IMediaSample** sample) {
  ComPtr<IMemAllocator> allocator;
  {
    std::lock_guard lock(deliveryLock_);
    allocator = allocator_;
  }
  if (!allocator) return VFW_E_NOT_CONNECTED;
  return allocator->GetBuffer(sample, nullptr, nullptr, 0);
}

bool OutputPin::DownstreamWantsFrames() const {
  ComPtr<IFrameDemand> demand;
  {
    std::lock_guard lock(deliveryLock_);
    if (!input_) return false;
    demand = demand_;
  }
  return !demand || demand->FramesWanted() != FALSE;
}

HRESULT OutputPin::CommitAllocator() {
  std::lock_guard lock(deliveryLock_);
  return allocator_ && usesAllocator_ ? allocator_->Commit() : S_OK;
}

void OutputPin::DecommitAllocator() {
  ComPtr<IMemAllocator> allocator;
  {
    std::lock_guard lock(deliveryLock_);
    allocator = allocator_;
  }
  if (allocator) allocator->Decommit();
}

// ---- BaseFilter ----

BaseFilter::BaseFilter(const CLSID& clsid) : clsid_(clsid) {}

HRESULT BaseFilter::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IPersist || riid == IID_IMediaFilter || riid == IID_IBaseFilter)
    return Hand(static_cast<IBaseFilter*>(this), object);
  *object = nullptr;
  return QueryExtra(riid, object);
}

HRESULT BaseFilter::QueryExtra(REFIID, void**) { return E_NOINTERFACE; }

HRESULT BaseFilter::GetClassID(CLSID* pClassID) {
  if (!pClassID) return E_POINTER;
  *pClassID = clsid_;
  return S_OK;
}

HRESULT BaseFilter::OnPause(FILTER_STATE) { return S_OK; }
HRESULT BaseFilter::OnRun(REFERENCE_TIME, FILTER_STATE) { return S_OK; }
HRESULT BaseFilter::WaitForState(DWORD) { return S_OK; }

HRESULT BaseFilter::Stop() {
  {
    std::lock_guard lock(lock_);
    if (state_ == State_Stopped) return S_OK;
    state_ = State_Stopped;
  }
  OnStop();
  return S_OK;
}

HRESULT BaseFilter::Pause() {
  FILTER_STATE from;
  {
    std::lock_guard lock(lock_);
    from = state_;
    if (from == State_Paused) return S_OK;
    state_ = State_Paused;
  }
  HRESULT hr = OnPause(from);
  if (FAILED(hr)) {
    {
      std::lock_guard lock(lock_);
      state_ = State_Stopped;
    }
    OnStop();
  }
  return hr;
}

HRESULT BaseFilter::Run(REFERENCE_TIME tStart) {
  FILTER_STATE from;
  {
    std::lock_guard lock(lock_);
    from = state_;
  }
  if (from == State_Stopped) {
    if (HRESULT hr = Pause(); FAILED(hr)) return hr;
    from = State_Paused;
  }
  {
    std::lock_guard lock(lock_);
    start_ = tStart;
    state_ = State_Running;
  }
  return OnRun(tStart, from);
}

HRESULT BaseFilter::GetState(DWORD dwMilliSecsTimeout, FILTER_STATE* State) {
  if (!State) return E_POINTER;
  *State = this->State();
  return WaitForState(dwMilliSecsTimeout);
}

HRESULT BaseFilter::SetSyncSource(IReferenceClock* pClock) {
  std::lock_guard lock(lock_);
  clock_ = ComPtr<IReferenceClock>(pClock);
  return S_OK;
}

HRESULT BaseFilter::GetSyncSource(IReferenceClock** pClock) {
  if (!pClock) return E_POINTER;
  std::lock_guard lock(lock_);
  *pClock = ComPtr<IReferenceClock>(clock_).Detach();
  return S_OK;
}

HRESULT BaseFilter::EnumPins(IEnumPins** ppEnum) {
  if (!ppEnum) return E_POINTER;
  ComPtr<IBaseFilter> self(this);
  auto source = std::make_shared<EnumSource<ComPtr<IPin>>>();
  source->snapshot = [self, this] {
    std::vector<ComPtr<IPin>> pins;
    for (BasePin* pin : Pins()) pins.emplace_back(pin);
    return pins;
  };
  *ppEnum = new PinEnumerator(source);
  return S_OK;
}

HRESULT BaseFilter::FindPin(LPCWSTR Id, IPin** ppPin) {
  if (!Id || !ppPin) return E_POINTER;
  *ppPin = nullptr;
  for (BasePin* pin : Pins()) {
    if (pin->Name() == Id) {
      pin->AddRef();
      *ppPin = pin;
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

HRESULT BaseFilter::QueryFilterInfo(FILTER_INFO* pInfo) {
  if (!pInfo) return E_POINTER;
  std::lock_guard lock(lock_);
  CopyName(pInfo->achName, name_);
  pInfo->pGraph = graph_;
  if (graph_) graph_->AddRef();
  return S_OK;
}

HRESULT BaseFilter::JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) {
  IMediaEventSink* sink = nullptr;
  if (pGraph && SUCCEEDED(pGraph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink))) && sink)
    sink->Release();  // kept without a reference, like the graph itself
  std::lock_guard lock(lock_);
  graph_ = pGraph;
  sink_ = pGraph ? sink : nullptr;
  name_ = pGraph ? WideString(pName) : std::u16string();
  return S_OK;
}

HRESULT BaseFilter::QueryVendorInfo(LPWSTR* pVendorInfo) {
  if (!pVendorInfo) return E_POINTER;
  *pVendorInfo = nullptr;
  return E_NOTIMPL;
}

FILTER_STATE BaseFilter::State() const {
  std::lock_guard lock(lock_);
  return state_;
}

REFERENCE_TIME BaseFilter::StartTime() const {
  std::lock_guard lock(lock_);
  return start_;
}

ComPtr<IReferenceClock> BaseFilter::Clock() const {
  std::lock_guard lock(lock_);
  return clock_;
}

bool BaseFilter::StreamTimeNow(REFERENCE_TIME& streamTime) const {
  ComPtr<IReferenceClock> clock;
  REFERENCE_TIME start;
  {
    std::lock_guard lock(lock_);
    if (state_ != State_Running || !clock_) return false;
    clock = clock_;
    start = start_;
  }
  REFERENCE_TIME now = 0;
  if (FAILED(clock->GetTime(&now))) return false;
  streamTime = now - start;
  return true;
}

void BaseFilter::NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2) {
  // Held across the call so that the graph cannot be left meanwhile; the sink takes no filter lock.
  std::lock_guard lock(lock_);
  if (sink_) sink_->Notify(code, param1, param2);
}

std::u16string BaseFilter::FilterName() const {
  std::lock_guard lock(lock_);
  return name_;
}

}  // namespace dshow
