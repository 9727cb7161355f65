#include "tests/mediaplayer/hosted_player.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "platform/dshow/dshow.h"
#include "platform/mediaplayer/registration.h"
#include "tests/ui_support/qt_wait.h"

namespace mediaplayer_test {

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

HWND FindRendererWindow(HWND under) {
  HWND found = nullptr;
  EnumChildWindows(
      under,
      [](HWND window, LPARAM data) -> BOOL {
        char name[100] = {};
        GetClassNameA(window, name, sizeof name);
        std::string lower(name);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.find("renderer") == std::string::npos) return TRUE;
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
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
