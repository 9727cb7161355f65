// Connection points for a COM server to embed: a container with one point per outgoing interface,
// each keeping the sinks advised on it, so that the server can fire its events to them.
//
//   class Player : public IOleObject, ... {
//     com::ConnectionPointContainer points_{*this};   // answers IID_IConnectionPointContainer
//     com::ConnectionPoint& events_ = points_.Add(DIID_PlayerEvents);
//     ...
//     events_.FireDispatch(3011, parameters);
//   };
//
// The container and its points count their references on the server (the unknown given to the
// container): whoever holds a point holds the server. A sink is held by the reference that
// QueryInterface for the point's interface gave, from Advise to Unadvise or the server's end.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "platform/com/connection_points.h"

namespace com {

class ConnectionPointContainer;

class ConnectionPoint final : public IConnectionPoint {
 public:
  ConnectionPoint(ConnectionPointContainer& container, REFIID iid);
  ~ConnectionPoint();
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

  const IID& Interface() const { return iid_; }
  bool HasSinks() const;
  // The sinks connected now, as the interface of the point, each with a reference of its own: the
  // caller may fire to them while sinks come and go.
  std::vector<ComPtr<IUnknown>> Sinks() const;
  // Invoke(id, DISPATCH_METHOD, parameters) on every sink's IDispatch; what a sink answers does
  // not stop the others.
  void FireDispatch(DISPID id, DISPPARAMS& parameters) const;
  void FireDispatch(DISPID id) const;
  // For a point of IPropertyNotifySink: OnChanged(id) on every sink.
  void FireOnChanged(DISPID id) const;
  // For a point of IPropertyNotifySink: false when a sink refuses the edit (S_FALSE).
  bool RequestEdit(DISPID id) const;
  // Releases every sink (the server calls it when it is closed or goes).
  void DisconnectAll();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** enumerator) override;

 private:
  struct Connection {
    DWORD cookie;
    ComPtr<IUnknown> sink;
  };

  ConnectionPointContainer& container_;
  const IID iid_;
  mutable std::mutex mutex_;
  // Guarded by mutex_:
  std::vector<Connection> connections_;
  DWORD nextCookie_ = 1;
};

class ConnectionPointContainer final : public IConnectionPointContainer {
 public:
  // owner: the server's own unknown, to which reference counting and QueryInterface go.
  explicit ConnectionPointContainer(IUnknown& owner) : owner_(owner) {}
  ConnectionPointContainer(const ConnectionPointContainer&) = delete;
  ConnectionPointContainer& operator=(const ConnectionPointContainer&) = delete;

  // A new point; it lives as long as the container.
  ConnectionPoint& Add(REFIID iid);
  ConnectionPoint* Find(REFIID iid) const;
  void DisconnectAll();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return owner_.QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** enumerator) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

 private:
  IUnknown& owner_;
  std::vector<std::unique_ptr<ConnectionPoint>> points_;
};

}  // namespace com
