#include "tests/mediaplayer/test_site.h"

#include <gtest/gtest.h>

#include "platform/dshow/dshow.h"
#include "tests/ui_support/qt_wait.h"

namespace mediaplayer_test {
namespace {

constexpr char kHostClass[] = "TestPlayerHost";
constexpr RECT kControlRect = {10, 10, 330, 278};

HWND MakeHostWindow() {
  WNDCLASSA windowClass{};
  if (!GetClassInfoA(nullptr, kHostClass, &windowClass)) {
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = kHostClass;
    RegisterClassA(&windowClass);
  }
  return CreateWindowExA(0, kHostClass, "host", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 400, 320, nullptr, nullptr,
                         nullptr, nullptr);
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

HRESULT STDMETHODCALLTYPE TestSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                                           EXCEPINFO*, UINT*) {
  RecordedEvent event{id, {}};
  if (parameters)
    for (UINT i = parameters->cArgs; i-- > 0;) event.numbers.push_back(Number(parameters->rgvarg[i]));
  events_.push_back(event);
  if (onEvent) onEvent(event);
  return S_OK;
}

HostedPlayer::HostedPlayer(bool activate) {
  dshow::RegisterClasses();
  mediaplayer::RegisterClasses();
  EXPECT_EQ(CoCreateInstance(CLSID_MediaPlayer, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IOleObject,
                             object_.PutVoid()),
            S_OK);
  if (!object_) return;
  player_ = object_.As<IMediaPlayer>();
  EXPECT_EQ(object_->SetClientSite(&site_), S_OK);
  if (auto persist = object_.As<IPersistStreamInit>()) {
    EXPECT_EQ(persist->InitNew(), S_OK);
  }
  if (auto container = object_.As<IConnectionPointContainer>()) {
    ComPtr<IConnectionPoint> events;
    ComPtr<IConnectionPoint> properties;
    EXPECT_EQ(container->FindConnectionPoint(DIID_MediaPlayerEvents, events.Put()), S_OK);
    EXPECT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, properties.Put()), S_OK);
    if (events) {
      EXPECT_EQ(events->Advise(static_cast<IDispatch*>(&site_), &eventCookie_), S_OK);
    }
    if (properties) {
      EXPECT_EQ(properties->Advise(static_cast<IPropertyNotifySink*>(&site_), &propertyCookie_), S_OK);
    }
  }
  if (activate) Activate();
}

void HostedPlayer::Activate() {
  EXPECT_EQ(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site_, 0, site_.Window(), &kControlRect), S_OK);
}

HostedPlayer::~HostedPlayer() {
  if (!object_) return;
  if (auto container = object_.As<IConnectionPointContainer>()) {
    ComPtr<IConnectionPoint> point;
    if (eventCookie_ && SUCCEEDED(container->FindConnectionPoint(DIID_MediaPlayerEvents, point.Put()))) {
      EXPECT_EQ(point->Unadvise(eventCookie_), S_OK);
    }
    if (propertyCookie_ && SUCCEEDED(container->FindConnectionPoint(IID_IPropertyNotifySink, point.Put()))) {
      EXPECT_EQ(point->Unadvise(propertyCookie_), S_OK);
    }
  }
  EXPECT_EQ(object_->Close(OLECLOSE_NOSAVE), S_OK);
  EXPECT_EQ(object_->SetClientSite(nullptr), S_OK);
  player_ = nullptr;
  EXPECT_EQ(object_.Detach()->Release(), 0u) << "the control's references do not balance";
  EXPECT_EQ(site_.References(), 1u) << "the control kept a reference to its site";
}

HWND HostedPlayer::ControlWindow() const {
  ComPtr<IOleInPlaceObject> inPlace = object_.As<IOleInPlaceObject>();
  HWND window = nullptr;
  if (inPlace) inPlace->GetWindow(&window);
  return window;
}

LONG HostedPlayer::OpenState() const {
  LONG state = -1;
  player_->get_OpenState(&state);
  return state;
}

LONG HostedPlayer::PlayState() const {
  LONG state = -1;
  player_->get_PlayState(&state);
  return state;
}

double HostedPlayer::Position() const {
  double position = 0;
  player_->get_CurrentPosition(&position);
  return position;
}

bool HostedPlayer::WaitForOpenState(LONG state, int milliseconds) {
  return test_support::ProcessEventsUntil([&] { return OpenState() == state; }, milliseconds);
}

bool HostedPlayer::WaitForPlayState(LONG state, int milliseconds) {
  return test_support::ProcessEventsUntil([&] { return PlayState() == state; }, milliseconds);
}

bool HostedPlayer::OpenAndWait(const std::string& file) {
  com::Bstr name(file);
  if (FAILED(player_->Open(name.Get()))) return false;
  test_support::ProcessEventsUntil([&] { return OpenState() != nsOpening; }, 15000);
  return OpenState() == nsOpen;
}

HRESULT HostedPlayer::GetProperty(DISPID id, VARIANT& value) const {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  return player_->Invoke(id, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
}

HRESULT HostedPlayer::PutProperty(DISPID id, const VARIANT& value) const {
  VARIANT argument = value;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{&argument, &named, 1, 1};
  return player_->Invoke(id, GUID_NULL, 0, DISPATCH_PROPERTYPUT, &parameters, nullptr, nullptr, nullptr);
}

}  // namespace mediaplayer_test
