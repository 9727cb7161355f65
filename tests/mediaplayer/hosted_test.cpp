// The control hosted by the program's own ActiveX host, TOleControl2, described as the preview's
// player wrapper describes it, and driven the way the preview drives it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include "activex/ole_control.h"
#include "framework/exception_report.h"
#include "framework/forms.h"
#include "platform/dshow/dshow.h"
#include "platform/mediaplayer/media_player.h"
#include "platform/mediaplayer/registration.h"
#include "tests/mediaplayer/hosted_player.h"
#include "tests/mediaplayer/player_media.h"
#include "tests/ui_support/qt_wait.h"

namespace mediaplayer_test {
namespace {

using test_support::ProcessEventsUntil;

const DISPID kPlayerEventIds[] = {1505, 3002, 3011, 3012, 3001, 3003, 3010, 3006, 3009, 3008, 3004, 2, 51, -609};

// A test double of the preview's wrapper: the same descriptor and handler slots.
class TPlayerHost : public TOleControl2 {
 public:
  explicit TPlayerHost(TComponent* owner) : TOleControl2(owner) {}

  TOleEvent<int, int, int> OnDVDNotify;
  TOleEvent<int> OnEndOfStream;
  TOleEvent<int, int> OnOpenStateChange;
  TOleEvent<int, int> OnPlayStateChange;
  TOleEvent<BSTR, BSTR> OnScriptCommand;
  TOleEvent<VARIANT_BOOL> OnBuffering;
  TOleEvent<> OnError;
  TOleEvent<int> OnMarkerHit;
  TOleEvent<int, int, BSTR> OnWarning;
  TOleEvent<> OnNewStream;
  TOleEvent<int> OnDisconnect;
  TOleEvent<double, double> OnPositionChange;
  TOleEvent<> OnDisplayModeChange;
  TOleEvent<int> OnReadyStateChange;

  // What the wrapper casts the control's dispatch interface to.
  IMediaPlayer* Player() {
    if (!player_) {
      com::Variant dispatch = GetControlDispatch();
      player_ = ComPtr<IMediaPlayer>(static_cast<IMediaPlayer*>(dispatch->pdispVal));
    }
    return player_.Get();
  }
  void DropPlayer() { player_ = nullptr; }

 protected:
  void DescribeControl() override {
    static ControlDescriptor descriptor = [] {
      ControlDescriptor d;
      d.ControlClassId = CLSID_MediaPlayer;
      d.EventInterfaceId = DIID_MediaPlayerEvents;
      d.EventIdCount = static_cast<std::int32_t>(std::size(kPlayerEventIds));
      d.EventIds = kPlayerEventIds;
      d.StockFlags = StockEnabled;
      d.DescriptorVersion = EventTableVersion;
      return d;
    }();
    descriptor.EventTableOffset = EventTableOffsetOf(slots_);
    UseDescriptor(descriptor);
  }

 private:
  TEventSlots slots_{*this,
                     {&OnDVDNotify, &OnEndOfStream, &OnOpenStateChange, &OnPlayStateChange, &OnScriptCommand,
                      &OnBuffering, &OnError, &OnMarkerHit, &OnWarning, &OnNewStream, &OnDisconnect, &OnPositionChange,
                      &OnDisplayModeChange, &OnReadyStateChange}};
  ComPtr<IMediaPlayer> player_;
};

class HostedByTheProgramsHost : public testing::Test {
 protected:
  void SetUp() override {
    dshow::RegisterClasses();
    mediaplayer::RegisterClasses();
    previousReporter_ = SetExceptionReporter([this](TObject*, std::exception_ptr error) {
      try {
        std::rethrow_exception(error);
      } catch (const std::exception& e) {
        reported.push_back(e.what());
      }
    });
    form = MakeComponent<TForm>(nullptr);
    form->SetBounds(0, 0, 400, 320);
    host = form->CreateComponent<TPlayerHost>();
    host->SetParent(form.get());
    control = ComPtr<IUnknown>(host->OleObject());
  }
  void TearDown() override {
    host->DropPlayer();
    form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetExceptionReporter(std::move(previousReporter_));
    EXPECT_EQ(control.Detach()->Release(), 0u) << "the host and the control together balance their references";
    EXPECT_TRUE(reported.empty()) << reported.front();
  }

  TComponentPtr<TForm> form;
  TPlayerHost* host = nullptr;
  ComPtr<IUnknown> control;
  std::vector<std::string> reported;

 private:
  TExceptionReporter previousReporter_;
};

TEST_F(HostedByTheProgramsHost, OpensPausesItsOwnStartAndShowsTheVideoInTheHostsWindow) {
  // What the preview writes before the window exists: booleans, the position among them.
  for (DISPID id : {DISPID_MP_AUTOSIZE, DISPID_MP_CURRENTPOSITION, DISPID_MP_WINDOWLESSVIDEO, DISPID_MP_VIDEOBORDER3D})
    host->SetBoolProperty(id, false);
  host->SetBoolProperty(DISPID_MP_SHOWCONTROLS, true);
  host->SetIntegerProperty(DISPID_MP_VOLUME, -10000);
  EXPECT_TRUE(host->Connected());

  std::vector<std::pair<int, int>> openStates;
  std::vector<std::pair<int, int>> playStates;
  std::vector<int> readyStates;
  bool firstPlay = true;
  host->OnOpenStateChange = [&](TObject* sender, int oldState, int newState) {
    EXPECT_EQ(sender, host);
    openStates.push_back({oldState, newState});
  };
  host->OnReadyStateChange = [&](TObject*, int state) { readyStates.push_back(state); };
  host->OnPlayStateChange = [&](TObject*, int oldState, int newState) {
    playStates.push_back({oldState, newState});
    if (newState == mpPlaying && firstPlay) {
      firstPlay = false;
      QTimer::singleShot(50, [this] { EXPECT_EQ(host->Player()->Pause(), S_OK); });
    }
  };

  form->Show();
  const HWND window = host->Handle();
  ComPtr<IOleInPlaceObject> inPlace =
      host->OleObject() ? ComPtr<IOleObject>(host->OleObject()).As<IOleInPlaceObject>() : nullptr;
  HWND controlWindow = nullptr;
  ASSERT_TRUE(inPlace);
  inPlace->GetWindow(&controlWindow);
  EXPECT_EQ(window, controlWindow) << "the control's window is the host's";
  host->SetBounds(0, 0, 320, 268);

  com::Bstr name(TestMedia("tone.mp4"));
  ASSERT_EQ(host->Player()->Open(name.Get()), S_OK);
  ASSERT_TRUE(ProcessEventsUntil([&] { return host->GetIntegerProperty(DISPID_MP_PLAYSTATE) == mpPaused; }, 10000));
  EXPECT_EQ(openStates, (std::vector<std::pair<int, int>>{{nsClosed, nsOpening}, {nsOpening, nsOpen}}));
  EXPECT_EQ(readyStates, (std::vector<int>{mpReadyStateLoading, mpReadyStateComplete}));
  EXPECT_EQ(playStates,
            (std::vector<std::pair<int, int>>{{mpClosed, mpStopped}, {mpStopped, mpPlaying}, {mpPlaying, mpPaused}}));
  EXPECT_EQ(host->GetIntegerProperty(DISPID_MP_OPENSTATE), nsOpen);
  EXPECT_EQ(host->GetIntegerProperty(DISPID_MP_IMAGESOURCEWIDTH), 320);

  // The renderer's window is found under the host's by its class name.
  const HWND renderer = FindRendererWindow(window);
  ASSERT_NE(renderer, nullptr);
  EXPECT_EQ(win32::WidgetFromHandle(renderer)->geometry(), QRect(0, 0, 320, 240)) << "the default size over the bar";

  // Disabling the host disables the control through the stock property.
  host->SetEnabled(false);
  EXPECT_EQ(host->GetBoolProperty(DISPID_MP_ENABLED), VARIANT_FALSE);
  host->SetEnabled(true);
}

TEST_F(HostedByTheProgramsHost, AFailedOpeningReachesTheErrorHandlerWithItsCode) {
  form->Show();
  LONG code = 0;
  std::string description;
  host->OnError = [&](TObject*) {
    BSTR text = nullptr;
    EXPECT_EQ(host->Player()->get_ErrorDescription(&text), S_OK);
    description = com::BstrToUtf8(text);
    SysFreeString(text);
    EXPECT_EQ(host->Player()->get_ErrorCode(&code), S_OK);
  };
  com::Bstr name(MissingMedia());
  ASSERT_EQ(host->Player()->Open(name.Get()), S_OK);
  ASSERT_TRUE(ProcessEventsUntil([&] { return code != 0; }, 5000));
  EXPECT_EQ(code, static_cast<LONG>(0x80070002));
  EXPECT_NE(description.find("vanished.mp4"), std::string::npos);
  EXPECT_EQ(host->GetIntegerProperty(DISPID_MP_READYSTATE), mpReadyStateUninitialized)
      << "no wait for a loading player";
}

}  // namespace
}  // namespace mediaplayer_test
