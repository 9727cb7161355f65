#include "platform/com/connection_point_server.h"

#include "platform/com/object.h"

#include <algorithm>

namespace com {
namespace {

// An enumerator over a snapshot; Copy hands out one item with a reference for the caller.
template <class EnumInterface, class Item, class Holder>
class SnapshotEnumerator final : public Object<EnumInterface, InterfaceId<EnumInterface>::value> {
 public:
  using CopyItem = Item (*)(const Holder&);
  SnapshotEnumerator(std::shared_ptr<const std::vector<Holder>> items, ComPtr<IUnknown> keepAlive, CopyItem copy,
                     std::size_t position = 0)
      : items_(std::move(items)), keepAlive_(std::move(keepAlive)), copy_(copy), position_(position) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override {
    if (fetched) *fetched = 0;
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    while (n < count && position_ < items_->size()) out[n++] = copy_((*items_)[position_++]);
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const std::size_t left = items_->size() - position_;
    position_ += std::min<std::size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(EnumInterface** enumerator) override {
    if (!enumerator) return E_POINTER;
    *enumerator = new SnapshotEnumerator(items_, keepAlive_, copy_, position_);
    return S_OK;
  }

 private:
  std::shared_ptr<const std::vector<Holder>> items_;
  ComPtr<IUnknown> keepAlive_;
  CopyItem copy_;
  std::size_t position_;
};

struct HeldConnection {
  DWORD cookie;
  ComPtr<IUnknown> sink;
};

CONNECTDATA CopyConnection(const HeldConnection& held) {
  held.sink->AddRef();
  return CONNECTDATA{held.sink.Get(), held.cookie};
}

IConnectionPoint* CopyPoint(IConnectionPoint* const& point) {
  point->AddRef();
  return point;
}

}  // namespace

ConnectionPoint::ConnectionPoint(ConnectionPointContainer& container, REFIID iid) : container_(container), iid_(iid) {}

ConnectionPoint::~ConnectionPoint() { DisconnectAll(); }

bool ConnectionPoint::HasSinks() const {
  std::lock_guard lock(mutex_);
  return !connections_.empty();
}

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
  std::lock_guard lock(mutex_);
  std::vector<ComPtr<IUnknown>> sinks;
  sinks.reserve(connections_.size());
  for (const Connection& connection : connections_) sinks.push_back(connection.sink);
  return sinks;
}

void ConnectionPoint::FireDispatch(DISPID id, DISPPARAMS& parameters) const {
  for (const ComPtr<IUnknown>& sink : Sinks()) {
    ComPtr<IDispatch> dispatch = sink.As<IDispatch>();
    if (!dispatch) continue;
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT argumentError = 0;
    dispatch->Invoke(id, GUID_NULL, 0, DISPATCH_METHOD, &parameters, &result, &exception, &argumentError);
    VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  }
}

void ConnectionPoint::FireDispatch(DISPID id) const {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  FireDispatch(id, none);
}

void ConnectionPoint::FireOnChanged(DISPID id) const {
  if (iid_ != IID_IPropertyNotifySink) return;
  for (const ComPtr<IUnknown>& sink : Sinks()) static_cast<IPropertyNotifySink*>(sink.Get())->OnChanged(id);
}

bool ConnectionPoint::RequestEdit(DISPID id) const {
  if (iid_ != IID_IPropertyNotifySink) return true;
  for (const ComPtr<IUnknown>& sink : Sinks())
    if (static_cast<IPropertyNotifySink*>(sink.Get())->OnRequestEdit(id) == S_FALSE) return false;
  return true;
}

void ConnectionPoint::DisconnectAll() {
  std::vector<Connection> taken;
  {
    std::lock_guard lock(mutex_);
    taken.swap(connections_);
  }
  // The references go here, outside the lock: a sink may call back while it is released.
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ConnectionPoint::AddRef() { return container_.AddRef(); }
ULONG STDMETHODCALLTYPE ConnectionPoint::Release() { return container_.Release(); }

HRESULT STDMETHODCALLTYPE ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (!container) return E_POINTER;
  container_.AddRef();
  *container = &container_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie) *cookie = 0;
  if (!sink || !cookie) return E_POINTER;
  ComPtr<IUnknown> held;
  if (FAILED(sink->QueryInterface(iid_, held.PutVoid())) || !held) return CONNECT_E_CANNOTCONNECT;
  std::lock_guard lock(mutex_);
  if (nextCookie_ == 0) nextCookie_ = 1;  // 0 never names a connection
  *cookie = nextCookie_++;
  connections_.push_back(Connection{*cookie, std::move(held)});
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Unadvise(DWORD cookie) {
  ComPtr<IUnknown> released;
  {
    std::lock_guard lock(mutex_);
    auto found = std::find_if(connections_.begin(), connections_.end(),
                              [cookie](const Connection& c) { return c.cookie == cookie; });
    if (cookie == 0 || found == connections_.end()) return CONNECT_E_NOCONNECTION;
    released = std::move(found->sink);
    connections_.erase(found);
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::EnumConnections(IEnumConnections** enumerator) {
  if (!enumerator) return E_POINTER;
  auto items = std::make_shared<std::vector<HeldConnection>>();
  {
    std::lock_guard lock(mutex_);
    for (const Connection& connection : connections_)
      items->push_back(HeldConnection{connection.cookie, connection.sink});
  }
  *enumerator =
      new SnapshotEnumerator<IEnumConnections, CONNECTDATA, HeldConnection>(std::move(items), nullptr, &CopyConnection);
  return S_OK;
}

ConnectionPoint& ConnectionPointContainer::Add(REFIID iid) {
  points_.push_back(std::make_unique<ConnectionPoint>(*this, iid));
  return *points_.back();
}

ConnectionPoint* ConnectionPointContainer::Find(REFIID iid) const {
  for (const auto& point : points_)
    if (point->Interface() == iid) return point.get();
  return nullptr;
}

void ConnectionPointContainer::DisconnectAll() {
  for (const auto& point : points_) point->DisconnectAll();
}

HRESULT STDMETHODCALLTYPE ConnectionPointContainer::EnumConnectionPoints(IEnumConnectionPoints** enumerator) {
  if (!enumerator) return E_POINTER;
  auto items = std::make_shared<std::vector<IConnectionPoint*>>();
  for (const auto& point : points_) items->push_back(point.get());
  *enumerator = new SnapshotEnumerator<IEnumConnectionPoints, IConnectionPoint*, IConnectionPoint*>(
      std::move(items), ComPtr<IUnknown>(&owner_), &CopyPoint);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPointContainer::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  ConnectionPoint* found = Find(iid);
  if (!found) return CONNECT_E_NOCONNECTION;
  found->AddRef();
  *point = found;
  return S_OK;
}

}  // namespace com
