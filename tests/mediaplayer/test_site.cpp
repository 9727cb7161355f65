#include "tests/mediaplayer/test_site.h"

#include "platform/mediaplayer/window_class.h"

namespace mediaplayer_test {
namespace {

constexpr char kHostClass[] = "TestPlayerHost";

HWND MakeHostWindow() {
  mediaplayer::EnsureWindowClass(kHostClass);
  return CreateWindowExA(0, kHostClass, "host", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 400, 320, nullptr, nullptr, nullptr,
                         nullptr);
}

double Number(const VARIANT& v) {
  switch (v.vt) {
    case VT_I4: return v.lVal;
    case VT_R8: return v.dblVal;
    case VT_BOOL: return v.boolVal ? 1 : 0;
    default: return 0;
  }
}

}  // namespace

TestSite::TestSite() : window_(MakeHostWindow()) {}

TestSite::~TestSite() {
  if (window_) DestroyWindow(window_);
}

std::vector<RecordedEvent> TestSite::EventsOf(DISPID id) const {
  std::vector<RecordedEvent> found;
  for (const RecordedEvent& event : events_)
    if (event.id == id) found.push_back(event);
  return found;
}

HRESULT STDMETHODCALLTYPE TestSite::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IOleClientSite)
    *object = static_cast<IOleClientSite*>(this);
  else if (riid == IID_IOleInPlaceSite || riid == IID_IOleWindow)
    *object = static_cast<IOleInPlaceSite*>(this);
  else if (riid == IID_IOleInPlaceFrame || riid == IID_IOleInPlaceUIWindow)
    *object = static_cast<IOleInPlaceFrame*>(this);
  else if (riid == IID_IPropertyNotifySink)
    *object = static_cast<IPropertyNotifySink*>(this);
  else if (riid == IID_IDispatch || riid == DIID_MediaPlayerEvents)
    *object = static_cast<IDispatch*>(this);
  else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TestSite::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TestSite::ShowObject() {
  ++shownObjects;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSite::RequestNewObjectLayout() {
  ++layoutRequests;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSite::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = window_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSite::OnInPlaceActivate() {
  ++inPlaceActivations;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSite::OnUIActivate() {
  ++uiActivations;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                                     LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  if (frame) {
    *frame = this;
    AddRef();
  }
  if (document) *document = nullptr;
  if (position) *position = kControlRect;
  if (clip) *clip = RECT{0, 0, 32767, 32767};
  if (info) {
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSite::OnInPlaceDeactivate() {
  ++inPlaceDeactivations;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSite::OnChanged(DISPID id) {
  changed_.push_back(id);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSite::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TestSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                                           UINT*) {
  RecordedEvent event{id, {}};
  if (parameters)
    for (UINT i = parameters->cArgs; i-- > 0;) event.numbers.push_back(Number(parameters->rgvarg[i]));
  events_.push_back(event);
  if (onEvent) onEvent(event);
  return S_OK;
}

}  // namespace mediaplayer_test
