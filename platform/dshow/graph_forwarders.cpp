// The graph's IBasicVideo, IVideoWindow and IBasicAudio: each call goes to the renderer that has the
// interface, without the graph's lock held (the video window's calls end on the GUI thread).
#include "platform/dshow/filter_graph.h"

namespace dshow {
namespace {

template <class Interface, class Call>
HRESULT Forward(FilterGraph& graph, Call call) {
  ComPtr<Interface> target = graph.FindInterface<Interface>();
  return target ? call(target.Get()) : E_NOINTERFACE;
}

}  // namespace

HRESULT VideoForwarder::QueryInterface(REFIID riid, void** object) {
  return static_cast<IGraphBuilder&>(graph_).QueryInterface(riid, object);
}
ULONG VideoForwarder::AddRef() { return static_cast<IGraphBuilder&>(graph_).AddRef(); }
ULONG VideoForwarder::Release() { return static_cast<IGraphBuilder&>(graph_).Release(); }

HRESULT AudioForwarder::QueryInterface(REFIID riid, void** object) {
  return static_cast<IGraphBuilder&>(graph_).QueryInterface(riid, object);
}
ULONG AudioForwarder::AddRef() { return static_cast<IGraphBuilder&>(graph_).AddRef(); }
ULONG AudioForwarder::Release() { return static_cast<IGraphBuilder&>(graph_).Release(); }

HRESULT VideoForwarder::get_AvgTimePerFrame(REFTIME* p) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->get_AvgTimePerFrame(p); });
}

HRESULT VideoForwarder::get_BitRate(LONG* p) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->get_BitRate(p); });
}

HRESULT VideoForwarder::get_BitErrorRate(LONG* p) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->get_BitErrorRate(p); });
}

HRESULT VideoForwarder::get_VideoWidth(LONG* p) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->get_VideoWidth(p); });
}

HRESULT VideoForwarder::get_VideoHeight(LONG* p) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->get_VideoHeight(p); });
}

HRESULT VideoForwarder::put_SourceLeft(LONG v) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->put_SourceLeft(v); });
}

HRESULT VideoForwarder::get_SourceLeft(LONG* p) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->get_SourceLeft(p); });
}

HRESULT VideoForwarder::put_SourceWidth(LONG v) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->put_SourceWidth(v); });
}

HRESULT VideoForwarder::get_SourceWidth(LONG* p) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->get_SourceWidth(p); });
}

HRESULT VideoForwarder::put_SourceTop(LONG v) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->put_SourceTop(v); });
}

HRESULT VideoForwarder::get_SourceTop(LONG* p) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->get_SourceTop(p); });
}

HRESULT VideoForwarder::put_SourceHeight(LONG v) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->put_SourceHeight(v); });
}

HRESULT VideoForwarder::get_SourceHeight(LONG* p) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->get_SourceHeight(p); });
}

HRESULT VideoForwarder::put_DestinationLeft(LONG v) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->put_DestinationLeft(v); });
}

HRESULT VideoForwarder::get_DestinationLeft(LONG* p) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->get_DestinationLeft(p); });
}

HRESULT VideoForwarder::put_DestinationWidth(LONG v) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->put_DestinationWidth(v); });
}

HRESULT VideoForwarder::get_DestinationWidth(LONG* p) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->get_DestinationWidth(p); });
}

HRESULT VideoForwarder::put_DestinationTop(LONG v) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->put_DestinationTop(v); });
}

HRESULT VideoForwarder::get_DestinationTop(LONG* p) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->get_DestinationTop(p); });
}

HRESULT VideoForwarder::put_DestinationHeight(LONG v) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->put_DestinationHeight(v); });
}

HRESULT VideoForwarder::get_DestinationHeight(LONG* p) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->get_DestinationHeight(p); });
}

HRESULT VideoForwarder::SetSourcePosition(LONG l, LONG t, LONG w, LONG h) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->SetSourcePosition(l, t, w, h); });
}

HRESULT VideoForwarder::GetSourcePosition(LONG* l, LONG* t, LONG* w, LONG* h) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->GetSourcePosition(l, t, w, h); });
}

HRESULT VideoForwarder::SetDefaultSourcePosition() {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->SetDefaultSourcePosition(); });
}

HRESULT VideoForwarder::SetDestinationPosition(LONG l, LONG t, LONG w, LONG h) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->SetDestinationPosition(l, t, w, h); });
}

HRESULT VideoForwarder::GetDestinationPosition(LONG* l, LONG* t, LONG* w, LONG* h) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->GetDestinationPosition(l, t, w, h); });
}

HRESULT VideoForwarder::SetDefaultDestinationPosition() {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->SetDefaultDestinationPosition(); });
}

HRESULT VideoForwarder::GetVideoSize(LONG* w, LONG* h) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->GetVideoSize(w, h); });
}

HRESULT VideoForwarder::GetVideoPaletteEntries(LONG s, LONG n, LONG* r, LONG* p) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->GetVideoPaletteEntries(s, n, r, p); });
}

HRESULT VideoForwarder::GetCurrentImage(LONG* size, LONG* image) {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->GetCurrentImage(size, image); });
}

HRESULT VideoForwarder::IsUsingDefaultSource() {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->IsUsingDefaultSource(); });
}

HRESULT VideoForwarder::IsUsingDefaultDestination() {
  return Forward<IBasicVideo>(graph_, [&](IBasicVideo* target) { return target->IsUsingDefaultDestination(); });
}

HRESULT VideoForwarder::put_Caption(BSTR v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->put_Caption(v); });
}

HRESULT VideoForwarder::get_Caption(BSTR* p) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->get_Caption(p); });
}

HRESULT VideoForwarder::put_WindowStyle(LONG v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->put_WindowStyle(v); });
}

HRESULT VideoForwarder::get_WindowStyle(LONG* p) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->get_WindowStyle(p); });
}

HRESULT VideoForwarder::put_WindowStyleEx(LONG v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->put_WindowStyleEx(v); });
}

HRESULT VideoForwarder::get_WindowStyleEx(LONG* p) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->get_WindowStyleEx(p); });
}

HRESULT VideoForwarder::put_AutoShow(LONG v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->put_AutoShow(v); });
}

HRESULT VideoForwarder::get_AutoShow(LONG* p) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->get_AutoShow(p); });
}

HRESULT VideoForwarder::put_WindowState(LONG v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->put_WindowState(v); });
}

HRESULT VideoForwarder::get_WindowState(LONG* p) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->get_WindowState(p); });
}

HRESULT VideoForwarder::put_BackgroundPalette(LONG v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->put_BackgroundPalette(v); });
}

HRESULT VideoForwarder::get_BackgroundPalette(LONG* p) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->get_BackgroundPalette(p); });
}

HRESULT VideoForwarder::put_Visible(LONG v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->put_Visible(v); });
}

HRESULT VideoForwarder::get_Visible(LONG* p) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->get_Visible(p); });
}

HRESULT VideoForwarder::put_Left(LONG v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->put_Left(v); });
}

HRESULT VideoForwarder::get_Left(LONG* p) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->get_Left(p); });
}

HRESULT VideoForwarder::put_Width(LONG v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->put_Width(v); });
}

HRESULT VideoForwarder::get_Width(LONG* p) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->get_Width(p); });
}

HRESULT VideoForwarder::put_Top(LONG v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->put_Top(v); });
}

HRESULT VideoForwarder::get_Top(LONG* p) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->get_Top(p); });
}

HRESULT VideoForwarder::put_Height(LONG v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->put_Height(v); });
}

HRESULT VideoForwarder::get_Height(LONG* p) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->get_Height(p); });
}

HRESULT VideoForwarder::put_Owner(OAHWND v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->put_Owner(v); });
}

HRESULT VideoForwarder::get_Owner(OAHWND* p) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->get_Owner(p); });
}

HRESULT VideoForwarder::put_MessageDrain(OAHWND v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->put_MessageDrain(v); });
}

HRESULT VideoForwarder::get_MessageDrain(OAHWND* p) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->get_MessageDrain(p); });
}

HRESULT VideoForwarder::get_BorderColor(LONG* p) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->get_BorderColor(p); });
}

HRESULT VideoForwarder::put_BorderColor(LONG v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->put_BorderColor(v); });
}

HRESULT VideoForwarder::get_FullScreenMode(LONG* p) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->get_FullScreenMode(p); });
}

HRESULT VideoForwarder::put_FullScreenMode(LONG v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->put_FullScreenMode(v); });
}

HRESULT VideoForwarder::SetWindowForeground(LONG v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->SetWindowForeground(v); });
}

HRESULT VideoForwarder::NotifyOwnerMessage(OAHWND h, LONG m, LONG_PTR w, LONG_PTR l) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->NotifyOwnerMessage(h, m, w, l); });
}

HRESULT VideoForwarder::SetWindowPosition(LONG l, LONG t, LONG w, LONG h) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->SetWindowPosition(l, t, w, h); });
}

HRESULT VideoForwarder::GetWindowPosition(LONG* l, LONG* t, LONG* w, LONG* h) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->GetWindowPosition(l, t, w, h); });
}

HRESULT VideoForwarder::GetMinIdealImageSize(LONG* w, LONG* h) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->GetMinIdealImageSize(w, h); });
}

HRESULT VideoForwarder::GetMaxIdealImageSize(LONG* w, LONG* h) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->GetMaxIdealImageSize(w, h); });
}

HRESULT VideoForwarder::GetRestorePosition(LONG* l, LONG* t, LONG* w, LONG* h) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->GetRestorePosition(l, t, w, h); });
}

HRESULT VideoForwarder::HideCursor(LONG v) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->HideCursor(v); });
}

HRESULT VideoForwarder::IsCursorHidden(LONG* p) {
  return Forward<IVideoWindow>(graph_, [&](IVideoWindow* target) { return target->IsCursorHidden(p); });
}

HRESULT AudioForwarder::put_Volume(LONG v) {
  return Forward<IBasicAudio>(graph_, [&](IBasicAudio* target) { return target->put_Volume(v); });
}

HRESULT AudioForwarder::get_Volume(LONG* p) {
  return Forward<IBasicAudio>(graph_, [&](IBasicAudio* target) { return target->get_Volume(p); });
}

HRESULT AudioForwarder::put_Balance(LONG v) {
  return Forward<IBasicAudio>(graph_, [&](IBasicAudio* target) { return target->put_Balance(v); });
}

HRESULT AudioForwarder::get_Balance(LONG* p) {
  return Forward<IBasicAudio>(graph_, [&](IBasicAudio* target) { return target->get_Balance(p); });
}

}  // namespace dshow
