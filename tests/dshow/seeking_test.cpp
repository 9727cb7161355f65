// Positions in media time and in frames, relative seeks, and Stop, which keeps the position.
#include "tests/dshow/graph_fixture.h"
#include "tests/dshow/heard_sound.h"
#include "tests/dshow/test_media.h"
#include "tests/ui_support/qt_wait.h"

namespace dshow_test {
namespace {

class Seeking : public GraphTest {};

TEST_F(Seeking, FramesAreAPositionFormatOfFilesWithAFrameRate) {
  ComPtr<IGraphBuilder> graph = NewGraph();
  ASSERT_EQ(S_OK, RenderFile(graph.Get(), Clip("timed.mkv")));
  ComPtr<IMediaSeeking> seeking = graph.As<IMediaSeeking>();
  EXPECT_EQ(S_OK, seeking->IsFormatSupported(&TIME_FORMAT_FRAME));
  EXPECT_EQ(S_FALSE, seeking->IsFormatSupported(&TIME_FORMAT_BYTE));
  LONGLONG frames = 0;
  ASSERT_EQ(S_OK, seeking->ConvertTimeFormat(&frames, &TIME_FORMAT_FRAME, 25 * UNITS / 10, &TIME_FORMAT_MEDIA_TIME));
  EXPECT_EQ(25, frames);

  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Pause)));
  EXPECT_EQ(VFW_E_WRONG_STATE, seeking->SetTimeFormat(&TIME_FORMAT_FRAME));
  ASSERT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Stop));
  ASSERT_EQ(S_OK, seeking->SetTimeFormat(&TIME_FORMAT_FRAME));
  EXPECT_EQ(S_OK, seeking->IsUsingTimeFormat(&TIME_FORMAT_FRAME));
  LONGLONG duration = 0;
  ASSERT_EQ(S_OK, seeking->GetDuration(&duration));
  EXPECT_EQ(60, duration);

  LONGLONG target = 25;
  ASSERT_EQ(S_OK, seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning | AM_SEEKING_ReturnTime, nullptr,
                                        AM_SEEKING_NoPositioning));
  EXPECT_EQ(25, target);
  ASSERT_EQ(S_OK, graph.As<IVideoWindow>()->put_Visible(OATRUE));
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Pause)));
  LONGLONG current = -1;
  ASSERT_EQ(S_OK, seeking->GetCurrentPosition(&current));
  EXPECT_EQ(25, current);
  // The paused picture is frame 25.
  ComPtr<IBasicVideo> video = graph.As<IBasicVideo>();
  LONG size = 0;
  ASSERT_TRUE(test_support::ProcessEventsUntil([&] { return video->GetCurrentImage(&size, nullptr) == S_OK; }, 2000));
  std::vector<LONG> image((static_cast<std::size_t>(size) + 3) / 4);
  ASSERT_EQ(S_OK, video->GetCurrentImage(&size, image.data()));
  EXPECT_NEAR(16 + 8 * 25, reinterpret_cast<const BYTE*>(image.data())[sizeof(BITMAPINFOHEADER)], 2);

  // Ten frames on from here.
  LONGLONG step = 10;
  ASSERT_EQ(S_OK, seeking->SetPositions(&step, AM_SEEKING_RelativePositioning, nullptr, AM_SEEKING_NoPositioning));
  ASSERT_EQ(S_OK, seeking->GetCurrentPosition(&current));
  EXPECT_EQ(35, current);
  EXPECT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Stop));
}

TEST_F(Seeking, StopKeepsThePositionAndPlayingOnStartsThere) {
  ComPtr<IGraphBuilder> graph = NewGraph();
  ASSERT_EQ(S_OK, RenderFile(graph.Get(), Clip("timed.wav")));
  EXPECT_EQ(S_FALSE, graph.As<IMediaSeeking>()->IsFormatSupported(&TIME_FORMAT_FRAME));
  Seek(graph.Get(), 3 * UNITS);
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
  Pump(400);
  ASSERT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Stop));
  const REFERENCE_TIME stopped = Position(graph.Get());
  EXPECT_GT(stopped, 3 * UNITS);
  HeardSound heard(Capture());
  const std::size_t last = heard.LastSound();
  ASSERT_NE(HeardSound::npos, last);
  const int64_t lastSample = heard.SourceSample(last, stopped * kTimedRate / UNITS);

  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
  Pump(300);
  ASSERT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Stop));
  heard = HeardSound(Capture());  // the device opened again: a new capture
  const std::size_t resumed = heard.FirstSound();
  ASSERT_NE(HeardSound::npos, resumed);
  EXPECT_NEAR(lastSample + 1, heard.SourceSample(resumed, lastSample), 1024);
}

TEST_F(Seeking, SeeksInQuickSuccessionWhilePlayingEndWhereTheLastOneAsked) {
  ComPtr<IGraphBuilder> graph = NewGraph();
  ASSERT_EQ(S_OK, RenderFile(graph.Get(), Clip("timed.mkv")));
  ASSERT_EQ(S_OK, graph.As<IVideoWindow>()->put_Visible(OATRUE));
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
  Pump(200);
  for (int i = 0; i < 12; ++i) {
    Seek(graph.Get(), (i % 5) * UNITS + UNITS / 4);
    Pump(i % 3 == 0 ? 0 : 15);
  }
  const REFERENCE_TIME last = 4 * UNITS + UNITS / 4;
  Seek(graph.Get(), last);
  Pump(400);
  const REFERENCE_TIME position = Position(graph.Get());
  EXPECT_GE(position, last);
  EXPECT_LT(position, last + UNITS / 2);
  ASSERT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Stop));
  HeardSound heard(Capture());
  std::size_t last_sound = heard.LastSound();
  ASSERT_NE(HeardSound::npos, last_sound);
  const int64_t sample = heard.SourceSample(last_sound, position * kTimedRate / UNITS);
  EXPECT_NEAR(static_cast<double>(position), static_cast<double>(sample * UNITS / kTimedRate), UNITS / 20.0);
}

}  // namespace
}  // namespace dshow_test
