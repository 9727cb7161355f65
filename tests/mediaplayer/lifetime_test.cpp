// Closing and opening mid-playback, letting go of a playing control, and the video renderer's
// window inside the control's: every thread stops, every reference balances.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <fstream>
#include <string>

#include "platform/dshow/dshow.h"
#include "platform/dshow/private_interfaces.h"
#include "tests/mediaplayer/hosted_player.h"
#include "tests/mediaplayer/player_media.h"
#include "tests/ui_support/qt_wait.h"

namespace mediaplayer_test {
namespace {

using test_support::ProcessEvents;
using test_support::ProcessEventsUntil;

int ThreadCount() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("Threads:", 0) == 0) return std::stoi(line.substr(8));
  return -1;
}

// The frames the video decoder of the control's graph has delivered.
LONGLONG FramesDecoded(HostedPlayer& host) {
  ComPtr<IUnknown> graph;
  host.As<IMediaPlayerCompatibility>()->get_FilterGraph(graph.Put());
  ComPtr<IFilterGraph> filters = graph.As<IFilterGraph>();
  ComPtr<IEnumFilters> all;
  if (!filters || FAILED(filters->EnumFilters(all.Put()))) return -1;
  ComPtr<IBaseFilter> filter;
  LONGLONG frames = 0;
  while (all->Next(1, filter.Put(), nullptr) == S_OK) {
    LONGLONG received = 0, decoded = 0, delivered = 0;
    ComPtr<IStreamStatistics> statistics = filter.As<IStreamStatistics>();
    if (statistics && SUCCEEDED(statistics->GetCounts(&received, &decoded, &delivered))) {
      CLSID id{};
      filter->GetClassID(&id);
      if (id == CLSID_FFmpegVideoDecoder) frames += delivered;
    }
  }
  return frames;
}

TEST(PlayerLifetime, OpeningAnotherFileMidPlaybackClosesTheFirstCleanly) {
  HostedPlayer host;
  ASSERT_TRUE(host.OpenAndWait(TestMedia("tone.mp4")));
  ASSERT_TRUE(host.WaitForPlayState(mpPlaying));
  ProcessEvents(300);
  host.Site().Events().clear();
  com::Bstr next(TestMedia("tone.m4a"));
  ASSERT_EQ(host->Open(next.Get()), S_OK);
  // The first file's end is announced before the second's opening.
  ASSERT_GE(host.Site().Events().size(), 2u);
  EXPECT_EQ(host.Site().Events()[0].id, DISPID_MPE_PLAYSTATECHANGE);
  EXPECT_EQ(host.Site().Events()[0].numbers, (std::vector<double>{mpPlaying, mpClosed}));
  EXPECT_EQ(host.Site().Events()[1].id, DISPID_MPE_OPENSTATECHANGE);
  EXPECT_EQ(host.Site().Events()[1].numbers, (std::vector<double>{nsOpen, nsClosed}));
  ASSERT_TRUE(host.WaitForOpenState(nsOpen));
  ASSERT_TRUE(host.WaitForPlayState(mpPlaying));
  // And once more before the second has even opened.
  ASSERT_EQ(host->Open(next.Get()), S_OK);
  ASSERT_EQ(host->Open(next.Get()), S_OK);
  ASSERT_TRUE(host.WaitForOpenState(nsOpen));
  EXPECT_EQ(host.Site().EventsOf(DISPID_MPE_ERROR).size(), 0u);
}

TEST(PlayerLifetime, LettingGoOfAPlayingControlStopsEveryThread) {
  { HostedPlayer warmUp; }  // the runtime's own threads, started once, are not the player's
  test_support::ProcessEvents(100);
  const int before = ThreadCount();
  {
    HostedPlayer host;
    ASSERT_TRUE(host.OpenAndWait(TestMedia("tone.mp4")));
    ASSERT_TRUE(host.WaitForPlayState(mpPlaying));
    ProcessEvents(300);
    EXPECT_GT(ThreadCount(), before) << "the graph streams on threads of its own";
    // The destructor checks that the control's references balance.
  }
  {
    HostedPlayer host;  // and while it is still opening
    com::Bstr name(TestMedia("tone.mp4"));
    ASSERT_EQ(host->Open(name.Get()), S_OK);
  }
  EXPECT_TRUE(ProcessEventsUntil([&] { return ThreadCount() <= before; }, 2000))
      << ThreadCount() << " threads, " << before << " before";
}

TEST(PlayerLifetime, WithoutAWindowToShowItTheVideoIsNotDecoded) {
  HostedPlayer host(false);
  host->put_AutoStart(VARIANT_FALSE);
  host->put_Volume(-10000);
  ASSERT_TRUE(host.OpenAndWait(TestMedia("tone.mp4")));
  ASSERT_EQ(host->Play(), S_OK);
  ProcessEvents(400);
  EXPECT_EQ(FramesDecoded(host), 0);
  ASSERT_EQ(host->Stop(), S_OK);
}

TEST(PlayerLifetime, TheVideoWindowSitsInTheControlsAndIsDecodedOnlyWhenSeen) {
  HostedPlayer host;
  host->put_AutoStart(VARIANT_FALSE);
  host->put_Volume(-10000);
  ASSERT_TRUE(host.OpenAndWait(TestMedia("tone.mp4")));
  const HWND control = host.ControlWindow();
  ASSERT_NE(control, nullptr);
  const HWND renderer = FindRendererWindow(host.Site().Window());
  ASSERT_NE(renderer, nullptr);
  EXPECT_TRUE(IsWindowVisible(renderer));
  HWND parent = GetParent(renderer);
  while (parent && parent != control) parent = GetParent(parent);
  EXPECT_EQ(parent, control) << "the renderer's window is inside the control's";
  ASSERT_EQ(host->Play(), S_OK);
  EXPECT_TRUE(ProcessEventsUntil([&] { return FramesDecoded(host) > 0; }, 3000)) << "seen: decoded";

  // Half size: centred in the video area above the control bar (320 x 268 - 28).
  host->put_DisplaySize(mpHalfSize);
  EXPECT_EQ(win32::WidgetFromHandle(renderer)->geometry(), QRect(80, 60, 160, 120));

  // Full screen takes it out onto the screen, and back.
  host->put_DisplaySize(mpFullScreen);
  EXPECT_EQ(GetParent(renderer), nullptr);
  EXPECT_EQ(win32::WidgetFromHandle(renderer)->size(), QGuiApplication::primaryScreen()->geometry().size());
  host->put_DisplaySize(mpDefaultSize);
  EXPECT_EQ(GetParent(renderer), control);

  // Moved out of sight inside its host, as the program keeps its preview: decoding stops.
  win32::WidgetFromHandle(control)->move(900, 900);
  LONGLONG hidden = -1;
  EXPECT_TRUE(ProcessEventsUntil(  // what was on its way when it went is let through
      [&] {
        const LONGLONG before = FramesDecoded(host);
        ProcessEvents(300);
        hidden = FramesDecoded(host);
        return hidden == before;
      },
      4000));
  ProcessEvents(400);
  EXPECT_EQ(FramesDecoded(host), hidden) << "out of sight: not decoded";
  ASSERT_EQ(host->Stop(), S_OK);
}

}  // namespace
}  // namespace mediaplayer_test
