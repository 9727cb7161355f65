// Opening and playing generated media on the real player: the paused start without AutoStart,
// positions in both units, steps and seeks at the ends, the selection, the poll's deferred events
// and its recovery from a failing handler, a file name beyond any 8-bit code page, and the
// renderer's window.
#include <QElapsedTimer>
#include <filesystem>

#include "platform/dshow/dshow.h"
#include "tests/mediaplayer/audio_capture.h"
#include "tests/mediaplayer/player_media.h"
#include "tests/player/movie_fixture.h"

namespace player_test {
namespace {

namespace fs = std::filesystem;
using mediaplayer_test::Heard;
using mediaplayer_test::TestMedia;
using test_support::ProcessEvents;
using test_support::ProcessEventsUntil;

struct PositionEvent {
  double oldTime, newTime;
  Cardinal oldFrame, newFrame;
};

// The video renderer of the player's graph; whoever holds it keeps its window.
ComPtr<IBaseFilter> VideoRendererOf(IMediaPlayer& player) {
  ComPtr<IMediaPlayerCompatibility> compatibility = ComPtr<IMediaPlayer>(&player).As<IMediaPlayerCompatibility>();
  ComPtr<IUnknown> graphObject;
  if (!compatibility || FAILED(compatibility->get_FilterGraph(graphObject.Put())) || !graphObject) return nullptr;
  ComPtr<IEnumFilters> filters;
  if (FAILED(graphObject.As<IFilterGraph>()->EnumFilters(filters.Put()))) return nullptr;
  IBaseFilter* next = nullptr;
  ULONG fetched = 0;
  while (filters->Next(1, &next, &fetched) == S_OK) {
    ComPtr<IBaseFilter> filter = ComPtr<IBaseFilter>::Attach(next);
    if (filter.As<IVideoWindow>()) return filter;
  }
  return nullptr;
}

TEST_F(MovieTest, WithoutAutoStartThePlayersOwnStartIsPausedWithinOnePollPeriodAndNothingIsHeard) {
  QElapsedTimer clock;
  clock.start();
  qint64 opened = -1;  // the player starts by itself right after it has told of the opening
  movie->OnOpenComplete = [&](TObject*) { opened = clock.elapsed(); };
  std::vector<std::pair<int, int>> playStates;
  movie->OnPlayStateChange = [&](TObject*, int oldState, int newState) { playStates.emplace_back(oldState, newState); };
  movie->SetFileName(com::Utf8ToUtf16(TestMedia("tone.m4a")));
  movie->Open();
  ASSERT_TRUE(ProcessEventsUntil([&] { return opened >= 0 && movie->PlayState() == mpPaused; }, 5000));
  EXPECT_LE(clock.elapsed() - opened, 50 + 40) << "one poll period, and a little for a busy machine";
  WaitForPoll();
  ASSERT_FALSE(playStates.empty());
  EXPECT_EQ(playStates.back(), std::make_pair(int{mpPlaying}, int{mpPaused})) << "it had started, and was paused";
  ProcessEvents(300);
  EXPECT_EQ(movie->PlayState(), mpPaused);
  EXPECT_EQ(PlayerPosition(), 0.0);
  EXPECT_TRUE(Heard().Silent());
}

TEST_F(MovieTest, PositionsAreReportedInBothUnitsTheFirstFromAnOldTimeOfZero) {
  std::vector<PositionEvent> reported;
  movie->OnPositionChange = [&](TObject* sender, double oldTime, double newTime, Cardinal oldFrame, Cardinal newFrame) {
    EXPECT_EQ(sender, movie);
    reported.push_back({oldTime, newTime, oldFrame, newFrame});
  };
  int openCompleted = 0;
  movie->OnOpenComplete = [&](TObject*) {
    ++openCompleted;
    EXPECT_GT(movie->Duration(), 0.0) << "known when the opening completes";
  };
  std::vector<std::pair<int, int>> openStates;
  movie->OnOpenStateChange = [&](TObject*, int oldState, int newState) { openStates.emplace_back(oldState, newState); };
  std::vector<int> readyStates;
  movie->OnReadyStateChange = [&](TObject*, int state) { readyStates.push_back(state); };

  ASSERT_TRUE(OpenAndWait(TestMedia("tone.mp4")));
  WaitForPoll();
  EXPECT_EQ(openCompleted, 1);
  ASSERT_FALSE(openStates.empty());
  EXPECT_EQ(openStates.back().second, nsOpen) << "the last change before a tick is the one reported";
  EXPECT_LT(openStates.size(), 3u);
  EXPECT_EQ(readyStates.back(), mpReadyStateComplete);
  EXPECT_NEAR(movie->Duration(), mediaplayer_test::kToneSeconds, 0.05);
  const Cardinal frames = movie->FrameCount();
  EXPECT_NEAR(frames, movie->Duration() * 25, 1.0) << "25 frames a second";
  ASSERT_FALSE(reported.empty());
  EXPECT_EQ(reported[0].oldTime, 0.0) << "nothing before the opening counts";
  EXPECT_EQ(reported[0].newTime, 0.0);

  reported.clear();
  movie->Seek(6.0);
  WaitForPoll();
  ASSERT_EQ(reported.size(), 1u) << "one report per change, none while it stands still";
  EXPECT_EQ(reported[0].oldTime, 0.0);
  EXPECT_NEAR(reported[0].newTime, 6.0, 1e-6);
  EXPECT_EQ(reported[0].newFrame, static_cast<Cardinal>(std::nearbyint(frames * 6.0 / movie->Duration())));

  // The same media in frame units: times are worked out from the frames.
  reported.clear();
  movie->SetDisplayMode(TDisplayMode::mpFrames);
  movie->Seek(3.0);  // seconds, whatever the unit
  WaitForPoll();
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_NEAR(reported[0].newTime, 3.0, 1e-3);
  EXPECT_EQ(reported[0].newFrame, 75u);
  movie->SetDisplayMode(TDisplayMode::mpTime);

  // Sound alone has no frames: the player gives the same length in both units.
  reported.clear();
  ASSERT_TRUE(OpenAndWait(TestMedia("tone.m4a")));
  EXPECT_EQ(movie->FrameCount(), 0u);
  movie->Seek(2.0);
  WaitForPoll();
  ASSERT_FALSE(reported.empty());
  EXPECT_NEAR(reported.back().newTime, 2.0, 1e-6);
  EXPECT_EQ(reported.back().newFrame, 0u);
  EXPECT_EQ(reported.back().oldFrame, 0u);
}

TEST_F(MovieTest, StepsStopAtBothEndsAndSeekRefusesOnlyWhatLiesBeyondTheLength) {
  // Nothing open: the transport does nothing.
  movie->StepForward(1);
  movie->StepBackward(1);
  movie->Play();
  EXPECT_FALSE(movie->Pause());
  movie->Stop();

  ASSERT_TRUE(OpenAndWait(TestMedia("tone.m4a")));
  const double length = movie->Duration();
  movie->Seek(length - 0.3);
  movie->StepForward(length);  // one second
  EXPECT_DOUBLE_EQ(PlayerPosition(), length) << "the step lands on the end";
  movie->Seek(0.4);
  movie->StepBackward(length);
  EXPECT_EQ(PlayerPosition(), 0.0);
  movie->Seek(2.5);
  movie->StepForward(length);
  EXPECT_NEAR(PlayerPosition(), 3.5, 1e-6);

  movie->Seek(length + 0.5);
  EXPECT_NEAR(PlayerPosition(), 3.5, 1e-6) << "beyond Duration: ignored";
  movie->Seek(length);
  EXPECT_DOUBLE_EQ(PlayerPosition(), length) << "at Duration: done";
}

TEST_F(MovieTest, TheSelectionsEndPausesAndItsStartIsWhereAPlayFromStoppedBegins) {
  ASSERT_TRUE(OpenAndWait(TestMedia("tone.m4a")));
  movie->SetSelectionStart(2.0);
  movie->SetSelectionEnd(2.5);
  movie->SetSelectionEnd(1.0);
  EXPECT_EQ(movie->SelectionEnd(), 2.5) << "an end before the start is refused";

  movie->Stop();
  ASSERT_EQ(movie->PlayState(), mpStopped);
  movie->Play();
  EXPECT_NEAR(PlayerPosition(), 2.0, 0.05) << "from stopped: at the selection's start";
  ASSERT_TRUE(ProcessEventsUntil([&] { return movie->PlayState() == mpPaused; }, 3000));
  EXPECT_GE(PlayerPosition(), 2.5);
  EXPECT_LT(PlayerPosition(), 2.5 + 0.2) << "at the first tick at or beyond the end";

  movie->SetSelectionEnd(-1);
  movie->Play();  // resumes from pause: stays where it was
  ProcessEvents(150);
  EXPECT_GT(PlayerPosition(), 2.5);
  EXPECT_TRUE(movie->Pause());
  EXPECT_FALSE(movie->Pause()) << "only a playing player pauses";
}

TEST_F(MovieTest, AHandlerThatFailsStopsNeitherThePollNorTheEventsThatFollow) {
  ReportedErrors errors;
  int positionCalls = 0;
  movie->OnPositionChange = [&](TObject*, double, double, Cardinal, Cardinal) {
    if (++positionCalls == 1) throw Exception("the handler failed");
  };
  std::vector<std::pair<int, int>> playStates;
  movie->OnPlayStateChange = [&](TObject*, int oldState, int newState) { playStates.emplace_back(oldState, newState); };
  ASSERT_TRUE(OpenAndWait(TestMedia("tone.m4a")));
  WaitForPoll();
  ASSERT_EQ(positionCalls, 1);
  ASSERT_EQ(errors.Messages(), std::vector<std::string>{"the handler failed"});

  playStates.clear();
  movie->Play();
  ProcessEvents(400);
  EXPECT_GE(positionCalls, 4) << "the poll goes on";
  ASSERT_FALSE(playStates.empty());
  EXPECT_EQ(playStates.back(), std::make_pair(int{mpPaused}, int{mpPlaying}));
  EXPECT_TRUE(movie->Pause());
  WaitForPoll();
  EXPECT_EQ(playStates.back(), std::make_pair(int{mpPlaying}, int{mpPaused}));
  EXPECT_EQ(errors.Messages().size(), 1u);
}

TEST_F(MovieTest, AFileNameThatNoEightBitCodePageHoldsOpensAndPlays) {
  const fs::path named = fs::path(TestMedia("tone.m4a")).parent_path() / "Grüße – 日本語 🎵.m4a";
  fs::copy_file(TestMedia("tone.m4a"), named, fs::copy_options::overwrite_existing);
  ASSERT_TRUE(OpenAndWait(named.string()));
  EXPECT_NEAR(movie->Duration(), mediaplayer_test::kToneSeconds, 0.05);
  com::Bstr opened;
  Player().get_FileName(opened.Put());
  EXPECT_EQ(opened.Utf8(), named.string());
  movie->Play();
  ProcessEvents(500);
  movie->Pause();
  ProcessEvents(100);
  EXPECT_FALSE(Heard().Silent());
}

TEST_F(MovieTest, TheRenderersWindowIsHookedForFullScreenKeysAndLetGoWhenItsMediaCloses) {
  std::vector<WORD> keys;
  movie->OnFullScreenKeyPress = [&](TObject*, WORD key, TShiftState) { keys.push_back(key); };
  ASSERT_TRUE(OpenAndWait(TestMedia("video.mp4")));
  const HWND renderer = movie->RendererWindow();
  ASSERT_TRUE(renderer);
  char name[100] = {};
  GetClassNameA(renderer, name, sizeof name);
  EXPECT_NE(LowerCase(name).find("renderer"), std::string::npos);
  const LONG_PTR hooked = GetWindowLongPtrA(renderer, GWLP_WNDPROC);

  SendMessageA(renderer, WM_KEYUP, 'F', 0);
  SendMessageA(renderer, WM_KEYUP, 'G', 0);  // one key waits at a time
  WaitForPoll();
  EXPECT_EQ(keys, std::vector<WORD>{'F'});

  // Held here, the old renderer keeps its window after its media has closed.
  const ComPtr<IBaseFilter> oldRenderer = VideoRendererOf(Player());
  ASSERT_TRUE(oldRenderer);
  ASSERT_TRUE(OpenAndWait(TestMedia("tone.mp4")));
  ASSERT_TRUE(IsWindow(renderer));
  EXPECT_NE(GetWindowLongPtrA(renderer, GWLP_WNDPROC), hooked) << "its own procedure again";
  keys.clear();
  SendMessageA(renderer, WM_KEYUP, 'H', 0);
  WaitForPoll();
  EXPECT_TRUE(keys.empty()) << "the old window still reaches the control";
  EXPECT_NE(movie->RendererWindow(), renderer);
  EXPECT_TRUE(movie->RendererWindow());
}

}  // namespace
}  // namespace player_test
