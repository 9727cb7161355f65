// Opening media: the events of an opening with and without AutoStart, what the open media reports,
// and files that cannot be played, each with its events and error code.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/com/class_registry.h"
#include "platform/dshow/dshow.h"
#include "platform/dshow/filter_factories.h"
#include "platform/mediaplayer/media_opener.h"
#include "tests/mediaplayer/hosted_player.h"
#include "tests/mediaplayer/player_media.h"
#include "tests/ui_support/qt_wait.h"

namespace mediaplayer_test {
namespace {

using test_support::ProcessEvents;

// The state and error events, in order, as (id, arguments...).
std::vector<std::vector<double>> StateEvents(TestSite& site) {
  std::vector<std::vector<double>> found;
  for (const RecordedEvent& event : site.Events()) {
    if (event.id != DISPID_MPE_OPENSTATECHANGE && event.id != DISPID_MPE_PLAYSTATECHANGE &&
        event.id != DISPID_MPE_READYSTATECHANGE && event.id != DISPID_MPE_ERROR)
      continue;
    std::vector<double> entry{static_cast<double>(event.id)};
    entry.insert(entry.end(), event.numbers.begin(), event.numbers.end());
    found.push_back(entry);
  }
  return found;
}

constexpr double kOpen = DISPID_MPE_OPENSTATECHANGE;
constexpr double kPlay = DISPID_MPE_PLAYSTATECHANGE;
constexpr double kReady = DISPID_MPE_READYSTATECHANGE;
constexpr double kError = DISPID_MPE_ERROR;

std::string ErrorText(HostedPlayer& host) {
  BSTR text = nullptr;
  host->get_ErrorDescription(&text);
  std::string result = com::BstrToUtf8(text);
  SysFreeString(text);
  return result;
}

LONG ErrorCode(HostedPlayer& host) {
  LONG code = 0;
  host->get_ErrorCode(&code);
  return code;
}

TEST(PlayerOpen, WithoutAutoStartOpensStoppedAndReportsTheMedia) {
  HostedPlayer host;
  host->put_AutoStart(VARIANT_FALSE);
  ASSERT_TRUE(host.OpenAndWait(TestMedia("tone.mp4")));
  ProcessEvents(300);
  EXPECT_EQ(StateEvents(host.Site()), (std::vector<std::vector<double>>{{kOpen, nsClosed, nsOpening},
                                                                        {kReady, mpReadyStateLoading},
                                                                        {kOpen, nsOpening, nsOpen},
                                                                        {kPlay, mpClosed, mpStopped},
                                                                        {kReady, mpReadyStateComplete}}));
  EXPECT_EQ(host.PlayState(), mpStopped);
  EXPECT_EQ(host.Position(), 0.0);
  double duration = 0;
  LONG width = 0, height = 0;
  VARIANT_BOOL seekable = VARIANT_FALSE;
  host->get_Duration(&duration);
  host->get_ImageSourceWidth(&width);
  host->get_ImageSourceHeight(&height);
  host->get_CanSeek(&seekable);
  EXPECT_NEAR(duration, kToneSeconds, 0.1);
  EXPECT_EQ(width, 320);
  EXPECT_EQ(height, 240);
  EXPECT_EQ(seekable, VARIANT_TRUE);
  // The same length in frames, and positions in frames.
  host->put_DisplayMode(mpFrames);
  host->get_Duration(&duration);
  EXPECT_NEAR(duration, kToneSeconds * 25, 2);
  host->put_CurrentPosition(50);
  host->put_DisplayMode(mpTime);
  EXPECT_NEAR(host.Position(), 2.0, 0.001);

  ComPtr<IMediaPlayerCompatibility> compatibility = host.As<IMediaPlayerCompatibility>();
  ComPtr<IUnknown> graph;
  ASSERT_EQ(compatibility->get_FilterGraph(graph.Put()), S_OK);
  EXPECT_TRUE(graph.As<IFilterGraph>());
  EXPECT_TRUE(graph.As<IBasicVideo>());
}

TEST(PlayerOpen, WithAutoStartPlaysOnceOpen) {
  HostedPlayer host;
  ASSERT_TRUE(host.OpenAndWait(TestMedia("tone.m4a")));
  ASSERT_TRUE(host.WaitForPlayState(mpPlaying));
  EXPECT_EQ(StateEvents(host.Site()), (std::vector<std::vector<double>>{{kOpen, nsClosed, nsOpening},
                                                                        {kReady, mpReadyStateLoading},
                                                                        {kOpen, nsOpening, nsOpen},
                                                                        {kPlay, mpClosed, mpStopped},
                                                                        {kReady, mpReadyStateComplete},
                                                                        {kPlay, mpStopped, mpPlaying}}));
  EXPECT_TRUE(test_support::ProcessEventsUntil([&] { return host.Position() > 0.2; }, 3000)) << "the position moves";
  LONG width = -1;
  host->get_ImageSourceWidth(&width);
  EXPECT_EQ(width, 0) << "sound only";
}

TEST(PlayerOpen, AFileThatIsNotThereFailsWithItsCode) {
  HostedPlayer host;
  ASSERT_FALSE(host.OpenAndWait(MissingMedia()));
  EXPECT_EQ(StateEvents(host.Site()), (std::vector<std::vector<double>>{{kOpen, nsClosed, nsOpening},
                                                                        {kReady, mpReadyStateLoading},
                                                                        {kOpen, nsOpening, nsClosed},
                                                                        {kReady, mpReadyStateUninitialized},
                                                                        {kError}}));
  EXPECT_EQ(ErrorCode(host), static_cast<LONG>(0x80070002));
  EXPECT_NE(ErrorText(host).find("vanished.mp4"), std::string::npos) << ErrorText(host);
  VARIANT_BOOL hasError = VARIANT_FALSE;
  host->get_HasError(&hasError);
  EXPECT_EQ(hasError, VARIANT_TRUE);
  EXPECT_EQ(host->Play(), VFW_E_WRONG_STATE);
}

// A source whose creation waits until it is let go stands for a file on a share that does not
// answer. Opening the next file must not wait for it, and the abandoned opening must end on its own
// once the share answers.
TEST(PlayerOpen, AFileThatDoesNotAnswerDoesNotHoldUpTheNext) {
  struct Share {
    std::mutex mutex;
    std::condition_variable changed;
    bool stalled = false;
    bool answers = false;
    void Answer() {
      std::lock_guard lock(mutex);
      answers = true;
      changed.notify_all();
    }
  };
  auto share = std::make_shared<Share>();
  com::RegisterClass(CLSID_FFmpegSource, "File Source (FFmpeg)", [share](IUnknown* outer, REFIID riid, void** object) {
    std::unique_lock lock(share->mutex);
    if (!share->stalled) {
      share->stalled = true;
      share->changed.notify_all();
      share->changed.wait(lock, [&] { return share->answers; });
    }
    lock.unlock();
    return dshow::CreateFFmpegSource(outer, riid, object);
  });
  // Without the fix the second opening would wait for ever; the share answers in the end regardless.
  std::thread watchdog([share] {
    std::unique_lock lock(share->mutex);
    share->changed.wait_for(lock, std::chrono::seconds(20), [&] { return share->answers; });
    share->answers = true;
    share->changed.notify_all();
  });
  {
    HostedPlayer host;
    com::Bstr stalled(TestMedia("tone.mp4"));
    ASSERT_EQ(host->Open(stalled.Get()), S_OK);
    test_support::ProcessEventsUntil(
        [&] {
          std::lock_guard lock(share->mutex);
          return share->stalled;
        },
        5000);
    EXPECT_EQ(host.OpenState(), nsOpening);

    const auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(host.OpenAndWait(TestMedia("tone.m4a")));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(10)) << "waited for the stalled file";
    EXPECT_EQ(mediaplayer::MediaOpener::RunningAbandoned(), 1);
    EXPECT_EQ(host.Site().EventsOf(DISPID_MPE_ERROR).size(), 0u);

    share->Answer();
    test_support::ProcessEventsUntil([] { return mediaplayer::MediaOpener::RunningAbandoned() == 0; }, 10000);
    EXPECT_EQ(mediaplayer::MediaOpener::RunningAbandoned(), 0) << "the abandoned opening did not end";
    ProcessEvents(100);
    EXPECT_EQ(host.OpenState(), nsOpen) << "the late file does not take the player over";
  }
  watchdog.join();
  com::RegisterClass(CLSID_FFmpegSource, "File Source (FFmpeg)", dshow::CreateFFmpegSource);
}

TEST(PlayerOpen, FilesThatAreNoMediaFailWithTheGraphsCode) {
  HostedPlayer host;
  ASSERT_FALSE(host.OpenAndWait(TestMedia("broken.mp4")));
  EXPECT_TRUE(FAILED(ErrorCode(host)));
  EXPECT_EQ(host.Site().EventsOf(DISPID_MPE_ERROR).size(), 1u);
  EXPECT_EQ(host.PlayState(), mpClosed);
  // The control is still good for the next file.
  host.Site().Events().clear();
  EXPECT_TRUE(host.OpenAndWait(TestMedia("tone.m4a")));
  EXPECT_EQ(ErrorCode(host), 0) << "a new opening clears the error";
}

TEST(PlayerOpen, WithoutErrorEventsTheControlTellsTheUser) {
  HostedPlayer host;
  host->put_SendErrorEvents(VARIANT_FALSE);
  std::string shown;
  auto previous = win32::SetMessageBoxHandler([&](HWND, const char* text, const char*, UINT) {
    shown = text;
    return IDOK;
  });
  EXPECT_FALSE(host.OpenAndWait(MissingMedia()));
  win32::SetMessageBoxHandler(previous);
  EXPECT_TRUE(host.Site().EventsOf(DISPID_MPE_ERROR).empty());
  EXPECT_EQ(shown, ErrorText(host));
}

TEST(PlayerOpen, SoundlessVideoPlaysToItsEnd) {
  HostedPlayer host;
  host->put_AutoStart(VARIANT_FALSE);
  ASSERT_TRUE(host.OpenAndWait(TestMedia("video.mp4")));
  LONG width = 0;
  host->get_ImageSourceWidth(&width);
  EXPECT_EQ(width, 320);
  host->put_CurrentPosition(3.6);
  ASSERT_EQ(host->Play(), S_OK);
  ASSERT_TRUE(host.WaitForPlayState(mpStopped, 5000)) << "the end of the stream stops it";
  EXPECT_EQ(host.Site().EventsOf(DISPID_MPE_ENDOFSTREAM).size(), 1u);
  EXPECT_EQ(host.Position(), 0.0) << "rewound";
}

TEST(PlayerOpen, ACutFileEndsWhereItsDataEnds) {
  HostedPlayer host;
  host->put_AutoStart(VARIANT_FALSE);
  ASSERT_TRUE(host.OpenAndWait(TestMedia("truncated.mp4")));
  double duration = 0;
  host->get_Duration(&duration);
  host->put_CurrentPosition(duration * 0.4);
  ASSERT_EQ(host->Play(), S_OK);
  // Either the end or an error of the stream, but soon and stopped, never a hang.
  EXPECT_TRUE(host.WaitForPlayState(mpStopped, 15000));
  EXPECT_EQ(host.Site().EventsOf(DISPID_MPE_ENDOFSTREAM).size() + host.Site().EventsOf(DISPID_MPE_ERROR).size(), 1u);
}

}  // namespace
}  // namespace mediaplayer_test
