// The control without playback: its parts and start values, the properties it passes to the player,
// the setting conflicts, the selection's guards, a seek the player refuses, Visible, and the
// start-up check for the player.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "platform/mediaplayer/player_control.h"
#include "platform/mediaplayer/registration.h"
#include "tests/player/movie_fixture.h"

namespace player_test {
namespace {

using test_support::ProcessEvents;

bool PlayerBool(HRESULT (IMediaPlayer::*get)(VARIANT_BOOL*), IMediaPlayer& player) {
  VARIANT_BOOL value = VARIANT_TRUE;
  EXPECT_EQ((player.*get)(&value), S_OK);
  return value != VARIANT_FALSE;
}

LONG PlayerLong(HRESULT (IMediaPlayer::*get)(LONG*), IMediaPlayer& player) {
  LONG value = -12345;
  EXPECT_EQ((player.*get)(&value), S_OK);
  return value;
}

std::string PlayerString(HRESULT (IMediaPlayer::*get)(BSTR*), IMediaPlayer& player) {
  com::Bstr value;
  EXPECT_EQ((player.*get)(value.Put()), S_OK);
  return value.Utf8();
}

// While it lives, the system's player comes with its own sizing, windowless video and a 3-D border
// switched on, so that only what the control tells it can switch them off.
class PlayerWithEverythingOn {
 public:
  PlayerWithEverythingOn() {
    com::RegisterClass(CLSID_MediaPlayer, "Windows Media Player", [](IUnknown* outer, REFIID riid, void** object) {
      ComPtr<IMediaPlayer> player;
      if (HRESULT hr = mediaplayer::MediaPlayerControl::Create(outer, IID_IMediaPlayer, player.PutVoid()); FAILED(hr))
        return hr;
      player->put_AutoSize(VARIANT_TRUE);
      player->put_WindowlessVideo(VARIANT_TRUE);
      player->put_VideoBorder3D(VARIANT_TRUE);
      return player->QueryInterface(riid, object);
    });
  }
  ~PlayerWithEverythingOn() {
    com::RegisterClass(CLSID_MediaPlayer, "Windows Media Player", &mediaplayer::MediaPlayerControl::Create);
  }
  PlayerWithEverythingOn(const PlayerWithEverythingOn&) = delete;
  PlayerWithEverythingOn& operator=(const PlayerWithEverythingOn&) = delete;
};

// The player's host, telling which messages it passes on to the player's own handling.
class RecordingMovie : public TDerivedMovie_ {
 public:
  using TDerivedMovie_::TDerivedMovie_;
  void DefaultHandler(TMessage& message) override {
    passedOn.push_back(message.Msg);
    TDerivedMovie_::DefaultHandler(message);
  }
  std::vector<UINT> passedOn;
};

TEST_F(MovieTest, ConstructionBuildsThePartsAndTellsThePlayerHowItIsHosted) {
  PlayerWithEverythingOn everythingOn;
  TActiveMovie* fresh = form->CreateComponent<TActiveMovie>();
  EXPECT_EQ(fresh->Color(), clBlack);
  fresh->SetParent(form.get());
  EXPECT_EQ(fresh->Width(), 240);
  EXPECT_EQ(fresh->Height(), 200);
  EXPECT_EQ(fresh->Caption(), "");
  EXPECT_EQ(fresh->BevelOuter(), TBevelCut::bvNone);
  EXPECT_EQ(fresh->BevelInner(), TBevelCut::bvNone);
  EXPECT_EQ(fresh->BorderWidth(), 0);
  EXPECT_EQ(fresh->StoragePath(), std::filesystem::current_path().string());
  EXPECT_EQ(fresh->SelectionStart(), -1.0);
  EXPECT_EQ(com::Utf16ToUtf8(fresh->GrabberStatus()), "the FGrabber_Enabled property must be enabled.");
  EXPECT_TRUE(fresh->GrabberAvailable());  // the streaming layer has a sample grabber
  EXPECT_TRUE(fresh->ParentColor());
  EXPECT_EQ(fresh->SavedColor(), clBlack);
  EXPECT_EQ(fresh->Color(), form->Color()) << "the panel takes the form's colour";

  // The parts: the player inside the video panel inside the control; bars and corner box hidden.
  ASSERT_TRUE(fresh->Movie() && fresh->VideoPanel());
  EXPECT_EQ(fresh->Movie()->Parent(), fresh->VideoPanel());
  EXPECT_EQ(fresh->VideoPanel()->Parent(), fresh);
  EXPECT_EQ(fresh->VideoPanel()->BevelOuter(), TBevelCut::bvNone);
  for (TControl* part : std::initializer_list<TControl*>{fresh->HorzBar(), fresh->VertBar(), fresh->CornerBox()}) {
    ASSERT_TRUE(part);
    EXPECT_EQ(part->Parent(), fresh);
    EXPECT_FALSE(part->Visible());
  }
  EXPECT_EQ(fresh->VertBar()->Kind(), TScrollBarKind::sbVertical);
  EXPECT_FALSE(fresh->HorzBar()->TabStop());
  EXPECT_EQ(fresh->Movie()->Owner(), fresh);
  ASSERT_TRUE(fresh->PollTimer());
  EXPECT_TRUE(fresh->PollTimer()->Enabled());
  EXPECT_EQ(fresh->PollTimer()->Interval(), 50u);
  EXPECT_EQ(fresh->PollTimer()->Name().rfind("AMComponent", 0), 0u);
  EXPECT_EQ(fresh->Movie()->Name().rfind("AMComponent", 0), 0u);
  EXPECT_NE(fresh->PollTimer()->Name(), fresh->Movie()->Name());
  EXPECT_NE(fresh->Movie()->Name(), movie->Movie()->Name());

  // What construction told the player (which had them all on): no sizing of its own, no windowless
  // video, no 3-D border; its events come to the host's sink.
  IMediaPlayer& player = fresh->Movie()->ControlInterface();
  EXPECT_FALSE(PlayerBool(&IMediaPlayer::get_AutoSize, player));
  EXPECT_FALSE(PlayerBool(&IMediaPlayer::get_WindowlessVideo, player));
  EXPECT_FALSE(PlayerBool(&IMediaPlayer::get_VideoBorder3D, player));
  EXPECT_NE(fresh->Movie()->EventSinkCookie(), 0u);
}

TEST_F(MovieTest, TheWindowCreationStepHidesAFormAwayAndTheHelpKeyAsksFirst) {
  // The fixture's control got its window when the form was shown.
  ASSERT_TRUE(movie->Movie()->HandleAllocated());
  ASSERT_TRUE(movie->HiddenForm());
  EXPECT_FALSE(movie->HiddenForm()->Visible());
  const HWND hidden = movie->HiddenForm()->Handle();
  EXPECT_NE(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hidden, GWLP_WNDPROC)), movie->HiddenForm()->ObjectInstance())
      << "its procedure is replaced";
  EXPECT_TRUE(GetWindowLongA(movie->Handle(), GWL_STYLE) & WS_CLIPCHILDREN);
  EXPECT_TRUE(GetWindowLongA(movie->Movie()->Handle(), GWL_STYLE) & WS_CLIPCHILDREN);
  EXPECT_EQ(movie->Movie()->Color(), movie->VideoPanel()->Color());

  int created = 0;
  TActiveMovie* late = form->CreateComponent<TActiveMovie>();
  late->OnCreate = [&](TObject* sender) {
    EXPECT_EQ(sender, late);
    ++created;
  };
  late->SetParent(form.get());
  late->HandleNeeded();
  EXPECT_EQ(created, 1);

  std::vector<bool> asked;
  movie->OnF1HelpInvoked = [&](TObject* sender, bool& canShow) {
    EXPECT_EQ(sender, movie);
    asked.push_back(canShow);
    canShow = false;
  };
  SendMessageA(movie->Movie()->Handle(), WM_HELP, 0, 0);
  EXPECT_EQ(asked, std::vector<bool>{true});

  // The player's own help: only while the handler leaves it allowed.
  RecordingMovie* host = form->CreateComponent<RecordingMovie>();
  host->SetParent(form.get());
  host->HandleNeeded();
  bool allow = false;
  host->OnF1HelpInvoked = [&](TObject*, bool& canShow) { canShow = allow; };
  SendMessageA(host->Handle(), WM_HELP, 0, 0);
  EXPECT_EQ(std::count(host->passedOn.begin(), host->passedOn.end(), WM_HELP), 0) << "refused, yet passed on";
  allow = true;
  SendMessageA(host->Handle(), WM_HELP, 0, 0);
  EXPECT_EQ(std::count(host->passedOn.begin(), host->passedOn.end(), WM_HELP), 1);
}

TEST_F(MovieTest, PassedOnPropertiesReachThePlayerUnderTheirDispatchIds) {
  IMediaPlayer& player = Player();
  movie->SetVolume(-1200);
  EXPECT_EQ(PlayerLong(&IMediaPlayer::get_Volume, player), -1200);
  EXPECT_EQ(movie->Volume(), -1200);
  movie->SetBalance(300);
  EXPECT_EQ(PlayerLong(&IMediaPlayer::get_Balance, player), 300);
  movie->SetPlayCount(3);
  EXPECT_EQ(PlayerLong(&IMediaPlayer::get_PlayCount, player), 3);
  movie->SetMute(true);
  EXPECT_TRUE(PlayerBool(&IMediaPlayer::get_Mute, player));
  movie->SetAutoRewind(false);
  EXPECT_FALSE(PlayerBool(&IMediaPlayer::get_AutoRewind, player));
  movie->SetShowStatusBar(true);
  EXPECT_TRUE(PlayerBool(&IMediaPlayer::get_ShowStatusBar, player));
  movie->SetVideoBorderColor(clRed);
  EXPECT_EQ(PlayerLong(&IMediaPlayer::get_VideoBorderColor, player), clRed);
  movie->SetBaseURL(u"http://example.org/clips/");
  EXPECT_EQ(PlayerString(&IMediaPlayer::get_BaseURL, player), "http://example.org/clips/");
  movie->SetBaseURL(u"");  // sent as a null string
  EXPECT_EQ(PlayerString(&IMediaPlayer::get_BaseURL, player), "");
  movie->SetRate(1.5);
  double rate = 0;
  player.get_Rate(&rate);
  EXPECT_EQ(rate, 1.5);
  movie->SetDisplayMode(TDisplayMode::mpFrames);
  EXPECT_EQ(PlayerLong(&IMediaPlayer::get_DisplayMode, player), mpFrames);
  EXPECT_EQ(movie->DisplayMode(), TDisplayMode::mpFrames);
  // Enabled is the player's; the panel stays enabled.
  movie->SetEnabled(false);
  EXPECT_FALSE(PlayerBool(&IMediaPlayer::get_Enabled, player));
  EXPECT_TRUE(static_cast<TControl*>(movie)->Enabled());
  // AutoStart never reaches the player.
  movie->SetAutoStart(true);
  movie->SetAutoStart(false);
  EXPECT_TRUE(PlayerBool(&IMediaPlayer::get_AutoStart, player));
}

TEST_F(MovieTest, ShowControlsAndTheCustomSizeExcludeEachOtherAndZoomSizeTakesOnlyPositiveValues) {
  IMediaPlayer& player = Player();
  movie->SetShowControls(true);
  movie->SetDisplaySize(TDisplaySize::mpHalfSize);
  EXPECT_EQ(PlayerLong(&IMediaPlayer::get_DisplaySize, player), mpHalfSize) << "with its controls the player sizes";
  movie->SetDisplaySize(TDisplaySize::mpCustomSize);
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text,
            "this setting is not allowed when ShowControls is enabled. Disable ShowControls first.");
  EXPECT_EQ(movie->DisplaySize(), TDisplaySize::mpHalfSize);
  EXPECT_EQ(PlayerLong(&IMediaPlayer::get_DisplaySize, player), mpHalfSize);

  movie->SetShowControls(false);
  EXPECT_EQ(PlayerLong(&IMediaPlayer::get_DisplaySize, player), mpFitToSize) << "the control sizes the video";
  movie->SetDisplaySize(TDisplaySize::mpCustomSize);
  EXPECT_EQ(movie->DisplaySize(), TDisplaySize::mpCustomSize);
  movie->SetShowControls(true);
  ASSERT_EQ(dialogs->messages.size(), 2u);
  EXPECT_EQ(dialogs->messages[1].text,
            "this setting is not allowed when DisplaySize = mpCustomSize. Set DisplaySize to another value first.");
  EXPECT_FALSE(movie->ShowControls());
  EXPECT_EQ(movie->DisplaySize(), TDisplaySize::mpCustomSize);

  movie->SetZoomSize(0);
  movie->SetZoomSize(-50);
  EXPECT_EQ(movie->ZoomSize(), 100);
  movie->SetZoomSize(150);
  EXPECT_EQ(movie->ZoomSize(), 150);
  EXPECT_EQ(movie->Width(), 240) << "the size message keeps the control's size";
}

TEST_F(MovieTest, TheSelectionRefusesNegativeValuesAndAnEndBeforeItsStart) {
  movie->SetSelectionStart(-3);
  EXPECT_EQ(movie->SelectionStart(), -1.0);
  movie->SetSelectionEnd(10);
  movie->SetSelectionStart(12);
  EXPECT_EQ(movie->SelectionStart(), -1.0) << "beyond the end";
  movie->SetSelectionStart(4);
  movie->SetSelectionEnd(3);
  EXPECT_EQ(movie->SelectionEnd(), 10.0) << "before the start";
  movie->SetSelectionEnd(-1);
  movie->SetSelectionStart(-1);
  EXPECT_EQ(movie->SelectionStart(), -1.0);
  EXPECT_EQ(movie->SelectionEnd(), -1.0);
}

TEST_F(MovieTest, ASeekThePlayerRefusesLeavesItInTheDisplayModeItWasIn) {
  movie->SetDisplayMode(TDisplayMode::mpFrames);
  EXPECT_ANY_THROW(movie->Seek(std::nan(""))) << "the player takes no position that is not a number";
  EXPECT_EQ(PlayerLong(&IMediaPlayer::get_DisplayMode, Player()), mpFrames);
  EXPECT_EQ(movie->DisplayMode(), TDisplayMode::mpFrames);
}

TEST_F(MovieTest, VisibleFalsePutsTheVideoOutOfSightAndShowsTheParentsColour) {
  form->SetColor(RGB(216, 215, 222));
  movie->SetBounds(424, 336, 41, 33);
  ProcessEvents(20);
  movie->SetVisible(false);
  const TPanel& panel = *movie->VideoPanel();
  const TDerivedMovie_& player = *movie->Movie();
  EXPECT_EQ(panel.Left(), player.Width() + 424 + 500);
  EXPECT_EQ(panel.Top(), player.Height() + 336 + 500);
  EXPECT_EQ(panel.Width(), player.Width());
  EXPECT_GT(panel.Left(), movie->Width()) << "outside the control";
  EXPECT_EQ(movie->Color(), RGB(216, 215, 222));
  EXPECT_TRUE(static_cast<TControl*>(movie)->Visible()) << "the panel itself stays";

  movie->SetVisible(true);
  EXPECT_EQ(QRect(panel.Left(), panel.Top(), panel.Width(), panel.Height()), QRect(0, 0, 41, 33));
  EXPECT_EQ(QRect(0, 0, player.Width(), player.Height()), QRect(0, 0, 41, 33));
}

TEST(MovieStartUp, WithoutTheSystemsPlayerTheProgramSaysSoAndEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  mediaplayer::RegisterClasses();
  EXPECT_EXIT(
      {
        com::ScopedClassRemoval noPlayer(CLSID_MediaPlayer);
        TApplication application;
        TComponentPtr<TForm> form = MakeComponent<TForm>(nullptr);
        form->CreateComponent<TActiveMovie>();
      },
      testing::ExitedWithCode(1),
      "Microsoft Windows Media Player is not installed on this platform\\.\n.*download.*www\\.microsoft\\.com");
}

}  // namespace
}  // namespace player_test
