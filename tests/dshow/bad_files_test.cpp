// Files that are missing, no media, damaged, cut short, or carry only one kind of stream: each
// either fails to open with the documented code, leaving the graph empty, or plays what it has and
// ends with EC_COMPLETE.
#include <filesystem>
#include <fstream>

#include "tests/dshow/graph_fixture.h"
#include "tests/dshow/test_media.h"

namespace dshow_test {
namespace {

class BadFiles : public GraphTest {
 protected:
  // Plays from the position to the end; true when EC_COMPLETE came in time.
  bool PlaysToTheEnd(IGraphBuilder* graph, REFERENCE_TIME from, int milliseconds) {
    Seek(graph, from);
    if (FAILED(Control(graph, &IMediaControl::Run))) return false;
    const bool ended = WaitForEvent(graph, EC_COMPLETE, milliseconds);
    EXPECT_EQ(S_OK, Control(graph, &IMediaControl::Stop));
    return ended;
  }
};

TEST_F(BadFiles, FilesThatCannotBeOpenedFailWithTheirCodeAndLeaveTheGraphEmpty) {
  const std::string missing = ScratchFolder() + "/no such file.avi";
  const struct {
    std::string path;
    HRESULT expected;
  } cases[] = {
      {missing, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)},
      {ScratchFolder(), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)},  // a folder
      {Clip("junk.avi"), VFW_E_UNKNOWN_FILE_TYPE},
      {Clip("empty.avi"), VFW_E_UNKNOWN_FILE_TYPE},
  };
  for (const auto& c : cases) {
    ComPtr<IGraphBuilder> graph = NewGraph();
    EXPECT_EQ(c.expected, RenderFile(graph.Get(), c.path)) << c.path;
    EXPECT_TRUE(FilterNames(graph.Get()).empty()) << c.path;
    ComPtr<IBaseFilter> source;
    const std::u16string wide = Wide(c.path);
    EXPECT_EQ(c.expected, graph->AddSourceFilter(wide.c_str(), nullptr, source.Put())) << c.path;
    EXPECT_FALSE(source);
  }
}

TEST_F(BadFiles, SoundOnlyPlaysWithoutVideoInterfacesToItsEnd) {
  ComPtr<IGraphBuilder> graph = NewGraph();
  ASSERT_EQ(S_OK, RenderFile(graph.Get(), Clip("audio_only.m4a")));
  EXPECT_FALSE(FindFilter(graph.Get(), "Video Renderer"));
  LONG width = -1;
  EXPECT_EQ(E_NOINTERFACE, graph.As<IBasicVideo>()->get_VideoWidth(&width));
  EXPECT_EQ(E_NOINTERFACE, graph.As<IVideoWindow>()->put_Visible(OATRUE));
  EXPECT_EQ(S_FALSE, graph.As<IMediaSeeking>()->IsFormatSupported(&TIME_FORMAT_FRAME));
  EXPECT_TRUE(PlaysToTheEnd(graph.Get(), 3 * UNITS / 2, 3000));
}

TEST_F(BadFiles, PicturesOnlyPlayOnTheSystemClockToTheirEnd) {
  ComPtr<IGraphBuilder> graph = NewGraph();
  ASSERT_EQ(S_OK, RenderFile(graph.Get(), Clip("video_only.mkv")));
  EXPECT_FALSE(FindFilter(graph.Get(), "Audio Renderer"));
  LONG volume = 0;
  EXPECT_EQ(E_NOINTERFACE, graph.As<IBasicAudio>()->get_Volume(&volume));
  EXPECT_TRUE(PlaysToTheEnd(graph.Get(), UNITS, 3000));
  EXPECT_EQ(2 * UNITS, Position(graph.Get()));
}

// ALSA with a configuration that names no device starts, as on a machine without a sound card,
// and then opens nothing.
TEST_F(BadFiles, WithoutASoundOutputThePicturesPlayAloneOnTheSystemClock) {
  const std::string config = ScratchFolder() + "/no-sound-card.conf";
  std::ofstream(config).close();
  environment_.Set("SDL_AUDIODRIVER", "alsa");
  environment_.Set("ALSA_CONFIG_PATH", config);
  ComPtr<IGraphBuilder> graph = NewGraph();
  ASSERT_EQ(VFW_S_AUDIO_NOT_RENDERED, RenderFile(graph.Get(), Clip("timed.mkv")));
  EXPECT_FALSE(FindFilter(graph.Get(), "Audio Renderer"));
  EXPECT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Pause)) << "paused as the player pauses a file it opens";
  EXPECT_TRUE(PlaysToTheEnd(graph.Get(), 5 * UNITS, 3000));
}

TEST_F(BadFiles, ACutShortFilePlaysWhatIsThereAndEnds) {
  ComPtr<IGraphBuilder> graph = NewGraph();
  ASSERT_EQ(S_OK, RenderFile(graph.Get(), Clip("truncated.mp4")));
  LONGLONG duration = 0;
  ASSERT_EQ(S_OK, graph.As<IMediaSeeking>()->GetDuration(&duration));
  EXPECT_EQ(8 * UNITS, duration);  // what the file's index says
  // From just before the cut: the data runs out well before the length the index gives.
  EXPECT_TRUE(PlaysToTheEnd(graph.Get(), 3 * UNITS, 4000));
  // A seek past the cut ends at once.
  EXPECT_TRUE(PlaysToTheEnd(graph.Get(), 6 * UNITS, 2000));
}

TEST_F(BadFiles, AStreamOfUnknownLengthPlaysToItsEndWithoutSeeking) {
  ComPtr<IGraphBuilder> graph = NewGraph();
  ASSERT_EQ(S_OK, RenderFile(graph.Get(), Clip("raw.h264")));
  ComPtr<IMediaSeeking> seeking = graph.As<IMediaSeeking>();
  DWORD capabilities = AM_SEEKING_CanSeekAbsolute;
  EXPECT_EQ(E_FAIL, seeking->CheckCapabilities(&capabilities));
  LONGLONG target = UNITS;
  EXPECT_EQ(E_NOTIMPL,
            seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
  EXPECT_TRUE(WaitForEvent(graph.Get(), EC_COMPLETE, 4000));
  EXPECT_GT(Position(graph.Get()), UNITS);
  EXPECT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Stop));
}

TEST_F(BadFiles, AFileThatVanishesAfterOpeningStillPlays) {
  const std::string copy = folder_.str() + "/vanishing.mkv";
  std::filesystem::copy_file(Clip("video_only.mkv"), copy);
  ComPtr<IGraphBuilder> graph = NewGraph();
  ASSERT_EQ(S_OK, RenderFile(graph.Get(), copy));
  std::filesystem::remove(copy);
  EXPECT_TRUE(PlaysToTheEnd(graph.Get(), 3 * UNITS / 2, 3000));
}

}  // namespace
}  // namespace dshow_test
