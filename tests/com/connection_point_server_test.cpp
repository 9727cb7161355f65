// The connection points a COM server embeds: advising, firing and unadvising sinks with balanced
// references, and the server kept alive by whoever holds one of its points.
#include <gtest/gtest.h>

#include <vector>

#include "platform/com/connection_point_server.h"

namespace {

constexpr IID kEvents = {0x5A1B2C3D, 0x1000, 0x2000, {0x80, 0x00, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55}};

// A server with one event point and one property-change point.
class Server final : public IUnknown {
 public:
  ULONG references = 1;
  com::ConnectionPointContainer points{*this};
  com::ConnectionPoint& events = points.Add(kEvents);
  com::ConnectionPoint& changes = points.Add(IID_IPropertyNotifySink);

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown) {
      *object = this;
    } else if (riid == IID_IConnectionPointContainer) {
      *object = static_cast<IConnectionPointContainer*>(&points);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }
};

// A sink of the event interface (an IDispatch) and of property changes.
class Sink final : public IDispatch, public IPropertyNotifySink {
 public:
  ULONG references = 1;
  bool answersEvents = true;
  std::vector<DISPID> invoked;
  std::vector<LONG> firstArguments;
  std::vector<DISPID> changed;
  com::ConnectionPoint* unadviseFrom = nullptr;  // unadvises itself when fired
  DWORD cookie = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch || (riid == kEvents && answersEvents)) {
      *object = static_cast<IDispatch*>(this);
    } else if (riid == IID_IPropertyNotifySink) {
      *object = static_cast<IPropertyNotifySink*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    ++references;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    invoked.push_back(id);
    if (parameters->cArgs) firstArguments.push_back(parameters->rgvarg[parameters->cArgs - 1].lVal);
    if (unadviseFrom) unadviseFrom->Unadvise(cookie);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override {
    changed.push_back(id);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_FALSE; }
};

TEST(ConnectionPointServer, SinksAreAdvisedWithTheirOwnReferenceAndUnadvisedByCookie) {
  Server server;
  Sink first, second;
  IConnectionPoint* point = nullptr;
  ASSERT_EQ(server.points.FindConnectionPoint(kEvents, &point), S_OK);
  EXPECT_EQ(server.references, 2u);  // the point holds its server

  DWORD a = 0, b = 0;
  EXPECT_EQ(point->Advise(static_cast<IDispatch*>(&first), &a), S_OK);
  EXPECT_EQ(point->Advise(static_cast<IDispatch*>(&second), &b), S_OK);
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
  EXPECT_EQ(first.references, 2u);

  Sink refusing;
  refusing.answersEvents = false;
  DWORD none = 7;
  EXPECT_EQ(point->Advise(static_cast<IDispatch*>(&refusing), &none), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(none, 0u);
  EXPECT_EQ(refusing.references, 1u);
  EXPECT_EQ(point->Advise(nullptr, &none), E_POINTER);

  IEnumConnections* connections = nullptr;
  ASSERT_EQ(point->EnumConnections(&connections), S_OK);
  CONNECTDATA data[3];
  ULONG fetched = 0;
  EXPECT_EQ(connections->Next(3, data, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(data[1].dwCookie, b);
  for (ULONG i = 0; i < fetched; ++i) data[i].pUnk->Release();
  connections->Release();
  EXPECT_EQ(second.references, 2u);

  EXPECT_EQ(point->Unadvise(a), S_OK);
  EXPECT_EQ(point->Unadvise(a), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(point->Unadvise(0), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(first.references, 1u);
  point->Release();
  EXPECT_EQ(server.references, 1u);

  IConnectionPoint* missing = reinterpret_cast<IConnectionPoint*>(1);
  EXPECT_EQ(server.points.FindConnectionPoint(IID_IDispatch, &missing), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(missing, nullptr);
  server.points.DisconnectAll();
  EXPECT_EQ(second.references, 1u);
}

TEST(ConnectionPointServer, FiringReachesEverySinkEvenWhenOneUnadvisesItselfMeanwhile) {
  Server server;
  Sink leaving, staying;
  server.events.Advise(static_cast<IDispatch*>(&leaving), &leaving.cookie);
  server.events.Advise(static_cast<IDispatch*>(&staying), &staying.cookie);
  leaving.unadviseFrom = &server.events;

  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_I4;
  argument.lVal = 42;
  DISPPARAMS parameters{&argument, nullptr, 1, 0};
  server.events.FireDispatch(3011, parameters);
  EXPECT_EQ(leaving.invoked, std::vector<DISPID>{3011});
  EXPECT_EQ(staying.firstArguments, std::vector<LONG>{42});
  EXPECT_EQ(leaving.references, 1u);  // gone from the point, and released once

  server.events.FireDispatch(2);
  EXPECT_EQ(leaving.invoked.size(), 1u);
  EXPECT_EQ(staying.invoked, (std::vector<DISPID>{3011, 2}));

  DWORD cookie = 0;
  server.changes.Advise(static_cast<IDispatch*>(&staying), &cookie);
  server.changes.FireOnChanged(-514);
  EXPECT_EQ(staying.changed, std::vector<DISPID>{-514});
  EXPECT_FALSE(server.changes.RequestEdit(-514));
  server.points.DisconnectAll();
  EXPECT_EQ(staying.references, 1u);
}

TEST(ConnectionPointServer, EnumeratedPointsHoldTheServerUntilReleased) {
  Server server;
  IEnumConnectionPoints* enumerator = nullptr;
  ASSERT_EQ(server.points.EnumConnectionPoints(&enumerator), S_OK);
  EXPECT_EQ(server.references, 2u);
  IConnectionPoint* points[2] = {};
  ULONG fetched = 0;
  EXPECT_EQ(enumerator->Next(2, points, &fetched), S_OK);
  EXPECT_EQ(fetched, 2u);
  IID iid;
  points[1]->GetConnectionInterface(&iid);
  EXPECT_EQ(iid, IID_IPropertyNotifySink);
  IConnectionPointContainer* container = nullptr;
  points[0]->GetConnectionPointContainer(&container);
  EXPECT_EQ(container, &server.points);
  container->Release();
  points[0]->Release();
  points[1]->Release();
  EXPECT_EQ(enumerator->Skip(1), S_FALSE);
  enumerator->Release();
  EXPECT_EQ(server.references, 1u);
}

}  // namespace
