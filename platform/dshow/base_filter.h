// The common part of every filter of this layer: the filter with its state, clock and graph, and
// its input and output pins with the connection handshake.
//
// A filter owns its pins; a pin's reference count is its filter's. Connections change only while
// the filter is stopped; streaming threads read a pin's connection while the filter is active.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/dshow/com_object.h"
#include "platform/dshow/media_sample.h"
#include "platform/dshow/media_type.h"
#include "platform/dshow/private_interfaces.h"

namespace dshow {

class BaseFilter;

class BasePin : public IPin {
 public:
  BasePin(BaseFilter& filter, std::u16string name, PIN_DIRECTION direction);
  virtual ~BasePin() = default;
  BasePin(const BasePin&) = delete;
  BasePin& operator=(const BasePin&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE Disconnect() override;
  HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pPin) override;
  HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
  HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* pInfo) override;
  HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* pPinDir) override;
  HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* Id) override;
  HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* pmt) override;
  HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
  HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin** apPin, ULONG* nPin) override;

  const std::u16string& Name() const { return name_; }
  PIN_DIRECTION Direction() const { return direction_; }
  bool IsConnected() const;
  ComPtr<IPin> Peer() const;
  MediaType ConnectionType() const;
  BaseFilter& Filter() { return filter_; }

  // Whether the pin takes the type; the types it prefers, by index (false past the last).
  virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) = 0;
  virtual bool GetMediaType(int index, MediaType& mt);

 protected:
  // After both sides have agreed on the type (peer_ and type_ are set); a failure undoes the connection.
  virtual HRESULT CompleteConnect(IPin* peer);
  virtual void BreakConnect() {}
  virtual HRESULT QueryExtra(REFIID riid, void** object);
  void SetConnection(IPin* peer, const AM_MEDIA_TYPE* mt);
  HRESULT CheckStopped() const;

  BaseFilter& filter_;

 private:
  const std::u16string name_;
  const PIN_DIRECTION direction_;
  mutable std::mutex connectionLock_;
  // Guarded by connectionLock_:
  ComPtr<IPin> peer_;
  MediaType type_;
};

// An input pin: accepts connections and receives samples through IMemInputPin.
class InputPin : public BasePin, public IMemInputPin {
 public:
  InputPin(BaseFilter& filter, std::u16string name);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return BasePin::QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return BasePin::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return BasePin::Release(); }

  HRESULT STDMETHODCALLTYPE Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) override;
  HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override;
  HRESULT STDMETHODCALLTYPE EndOfStream() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE BeginFlush() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EndFlush() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

  HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** ppAllocator) override;
  HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly) override;
  HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps) override;
  HRESULT STDMETHODCALLTYPE Receive(IMediaSample* pSample) override = 0;
  HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample** pSamples, LONG nSamples, LONG* nSamplesProcessed) override;
  HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override { return S_OK; }

 protected:
  HRESULT QueryExtra(REFIID riid, void** object) override;
  void BreakConnect() override;

 private:
  std::mutex allocatorLock_;
  ComPtr<IMemAllocator> allocator_;  // guarded by allocatorLock_
};

// An input pin that says whether pictures are wanted downstream of it (IFrameDemand).
class DemandInputPin : public InputPin, public IFrameDemand {
 public:
  using InputPin::InputPin;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return InputPin::QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InputPin::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return InputPin::Release(); }

 protected:
  HRESULT QueryExtra(REFIID riid, void** object) override {
    if (riid == IID_IFrameDemand) return Hand(static_cast<IFrameDemand*>(this), object);
    return InputPin::QueryExtra(riid, object);
  }
};

// An output pin: leads the connection (proposes types, hands the peer an allocator) and delivers
// downstream.
class OutputPin : public BasePin {
 public:
  OutputPin(BaseFilter& filter, std::u16string name);

  HRESULT STDMETHODCALLTYPE Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) override;
  HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override;
  HRESULT STDMETHODCALLTYPE EndOfStream() override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE BeginFlush() override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE EndFlush() override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return E_UNEXPECTED; }

  // Streaming: what the peer answers, or VFW_E_NOT_CONNECTED.
  HRESULT Deliver(IMediaSample* sample);
  HRESULT DeliverEndOfStream();
  HRESULT DeliverBeginFlush();
  HRESULT DeliverEndFlush();
  HRESULT DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);
  // A buffer of the connection's allocator (waits for a free one; fails once decommitted).
  HRESULT GetDeliveryBuffer(IMediaSample** sample);
  // Whether the peer wants decoded pictures now (see IFrameDemand); false when not connected.
  bool DownstreamWantsFrames() const;
  HRESULT CommitAllocator();
  void DecommitAllocator();

 protected:
  // The buffers this pin's allocator should have; the default asks for none (samples made per use).
  virtual bool DecideBufferSize(ALLOCATOR_PROPERTIES& props);
  HRESULT CompleteConnect(IPin* peer) override;
  void BreakConnect() override;

 private:
  HRESULT TryConnect(IPin* receivePin, const AM_MEDIA_TYPE& mt);

  mutable std::mutex deliveryLock_;
  // Guarded by deliveryLock_ (set while stopped, read by the streaming thread):
  ComPtr<IMemInputPin> input_;
  ComPtr<IMemAllocator> allocator_;
  ComPtr<IFrameDemand> demand_;
  bool usesAllocator_ = false;
};

// The filter: state changes, clock, graph membership, pins. Subclasses add pins and the hooks.
class BaseFilter : public IBaseFilter, protected RefCounted {
 public:
  explicit BaseFilter(const CLSID& clsid);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override;
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE Pause() override;
  HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME tStart) override;
  HRESULT STDMETHODCALLTYPE GetState(DWORD dwMilliSecsTimeout, FILTER_STATE* State) override;
  HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* pClock) override;
  HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** pClock) override;
  HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** ppEnum) override;
  HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR Id, IPin** ppPin) override;
  HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* pInfo) override;
  HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) override;
  HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* pVendorInfo) override;

  FILTER_STATE State() const;
  REFERENCE_TIME StartTime() const;
  ComPtr<IReferenceClock> Clock() const;
  // Stream time now (clock time minus the start time) while running; false otherwise.
  bool StreamTimeNow(REFERENCE_TIME& streamTime) const;
  // Reports an event to the graph's IMediaEventSink, if the filter is in a graph.
  void NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2);
  std::u16string FilterName() const;

  // The pins in their fixed order.
  virtual std::vector<BasePin*> Pins() = 0;

 protected:
  ~BaseFilter() override = default;
  // State hooks, called without the filter's lock, after the new state is visible to State().
  virtual HRESULT OnPause(FILTER_STATE from);
  virtual HRESULT OnRun(REFERENCE_TIME start, FILTER_STATE from);
  virtual void OnStop() {}
  // GetState's answer beyond the state itself: renderers report VFW_S_STATE_INTERMEDIATE until cued.
  virtual HRESULT WaitForState(DWORD milliseconds);
  virtual HRESULT QueryExtra(REFIID riid, void** object);

 private:
  const CLSID clsid_;
  mutable std::mutex lock_;
  // Guarded by lock_:
  FILTER_STATE state_ = State_Stopped;
  REFERENCE_TIME start_ = 0;
  ComPtr<IReferenceClock> clock_;
  IFilterGraph* graph_ = nullptr;  // not referenced: the graph holds the filter
  IMediaEventSink* sink_ = nullptr;
  std::u16string name_;
};

// The class factory of a filter: no aggregation; the new filter answers riid.
template <class Filter>
HRESULT CreateFilterInstance(IUnknown* outer, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  ComPtr<IBaseFilter> filter = ComPtr<IBaseFilter>::Attach(new Filter);
  return filter->QueryInterface(riid, object);
}

}  // namespace dshow
