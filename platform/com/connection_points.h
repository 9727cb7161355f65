// Connection points: how an object tells its sinks of events (IConnectionPointContainer,
// IConnectionPoint, their enumerators) and the sink of property changes, IPropertyNotifySink.
#pragma once

#include "platform/com/automation.h"

struct CONNECTDATA {
  IUnknown* pUnk;  // a reference the receiver releases
  DWORD dwCookie;
};
using LPCONNECTDATA = CONNECTDATA*;

inline constexpr IID IID_IConnectionPointContainer = {
    0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IEnumConnectionPoints = {
    0xB196B285, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IConnectionPoint = {
    0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IEnumConnections = {
    0xB196B287, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IPropertyNotifySink = {
    0x9BFBBC02, 0xEFF1, 0x101A, {0x84, 0xED, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

struct IConnectionPoint;
struct IConnectionPointContainer;

struct IEnumConnections : IUnknown {
  // S_FALSE when fewer than count were left.
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, LPCONNECTDATA connections, ULONG* fetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumConnections** enumerator) = 0;
};
COM_INTERFACE_ID(IEnumConnections, IID_IEnumConnections);

struct IEnumConnectionPoints : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** points, ULONG* fetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** enumerator) = 0;
};
COM_INTERFACE_ID(IEnumConnectionPoints, IID_IEnumConnectionPoints);

struct IConnectionPoint : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
  // CONNECT_E_CANNOTCONNECT when the sink does not answer the point's interface.
  virtual HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) = 0;
  // CONNECT_E_NOCONNECTION for a cookie that names no connection.
  virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** enumerator) = 0;
};
COM_INTERFACE_ID(IConnectionPoint, IID_IConnectionPoint);

struct IConnectionPointContainer : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** enumerator) = 0;
  // CONNECT_E_NOCONNECTION when the object has no point for that interface.
  virtual HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) = 0;
};
COM_INTERFACE_ID(IConnectionPointContainer, IID_IConnectionPointContainer);

struct IPropertyNotifySink : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) = 0;
  // S_OK allows the change, S_FALSE refuses it.
  virtual HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID id) = 0;
};
COM_INTERFACE_ID(IPropertyNotifySink, IID_IPropertyNotifySink);
