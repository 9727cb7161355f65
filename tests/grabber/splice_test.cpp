// The grabber in the player's graph: where it goes, what it reports, and a splice that fails.
#include "platform/com/class_registry.h"
#include "platform/mediaplayer/media_player.h"
#include "player/sample_grabber_cb.h"
#include "tests/dshow/graph_fixture.h"
#include "tests/grabber/grabber_fixture.h"
#include "tests/ui_support/qt_wait.h"

namespace grabber_test {
namespace {

using test_support::ProcessEvents;
using test_support::ProcessEventsUntil;

class Splicing : public GrabberTest {
 protected:
  ComPtr<IFilterGraph> Graph() {
    auto compatibility = ComPtr<IOleObject>(movie->Movie()->OleObject()).As<IMediaPlayerCompatibility>();
    ComPtr<IUnknown> graph;
    if (!compatibility || FAILED(compatibility->get_FilterGraph(graph.Put())) || !graph) return nullptr;
    return graph.As<IFilterGraph>();
  }
  std::vector<std::string> FilterNames() { return dshow_test::FilterNamesOf(Graph().Get()); }
  // What the video renderer has drawn so far.
  int FramesDrawn() {
    ComPtr<IBaseFilter> renderer;
    Graph()->FindFilterByName(u"Video Renderer", renderer.Put());
    int drawn = -1;
    if (auto quality = renderer.As<IQualProp>()) quality->get_FramesDrawn(&drawn);
    return drawn;
  }
  bool Contains(const std::string& name) {
    const auto names = FilterNames();
    return std::find(names.begin(), names.end(), name) != names.end();
  }
};

TEST_F(Splicing, SitsBeforeTheRendererOnlyWhenSwitchedOn) {
  ASSERT_TRUE(OpenAndWait(CountedClip()));
  EXPECT_FALSE(movie->GrabberReady());
  EXPECT_FALSE(Contains("Sample Grabber"));
  EXPECT_EQ(u"the FGrabber_Enabled property must be enabled.", movie->GrabberStatus());
  EXPECT_FALSE(movie->CaptureFrames(TFrameCapture_Dest::fcTBitmap));

  ASSERT_TRUE(OpenWithGrabber());
  EXPECT_TRUE(Contains("Sample Grabber"));
  EXPECT_EQ(u"Color Space Converter", movie->GrabberStatus());
  EXPECT_EQ(1, movie->Grabber()->FormatKind());
  ASSERT_TRUE(PlayAndWait());
  const int drawn = FramesDrawn();
  ProcessEvents(300);
  EXPECT_GT(FramesDrawn(), drawn) << "the renderer gets no frames through the grabber";

  // Another opening splices a new grabber into the new graph; closing takes it out of service.
  ASSERT_TRUE(OpenAndWait(CountedClip("counted_short.mkv")));
  EXPECT_TRUE(movie->GrabberReady());
  const auto names = FilterNames();
  EXPECT_EQ(1, std::count(names.begin(), names.end(), "Sample Grabber"));
  movie->SetFGrabber_Enabled(false);
  EXPECT_EQ(u"the FGrabber_Enabled property must be enabled.", movie->GrabberStatus());
}

TEST_F(Splicing, ASpliceThatFailsLeavesTheGraphPlayingAsBefore) {
  // The grabber was there when the control was made, and is gone when the media opens: the
  // connection to the renderer is already broken when the grabber cannot be made.
  com::ScopedClassRemoval noGrabber(CLSID_SampleGrabber);
  movie->SetFGrabber_Enabled(true);
  ASSERT_TRUE(OpenAndWait(CountedClip()));
  EXPECT_FALSE(movie->GrabberReady());
  EXPECT_FALSE(Contains("Sample Grabber"));
  EXPECT_FALSE(movie->CaptureFrames(TFrameCapture_Dest::fcTBitmap));

  ComPtr<IBaseFilter> renderer;
  ASSERT_EQ(S_OK, Graph()->FindFilterByName(u"Video Renderer", renderer.Put()));
  ComPtr<IEnumPins> pins;
  renderer->EnumPins(pins.Put());
  IPin* input = nullptr;
  ULONG fetched = 0;
  ASSERT_EQ(S_OK, pins->Next(1, &input, &fetched));
  ComPtr<IPin> rendererIn = ComPtr<IPin>::Attach(input);
  ComPtr<IPin> upstream;
  ASSERT_EQ(S_OK, rendererIn->ConnectedTo(upstream.Put())) << "the renderer was left unconnected";
  PIN_INFO pin{};
  ASSERT_EQ(S_OK, upstream->QueryPinInfo(&pin));
  ComPtr<IBaseFilter> owner = ComPtr<IBaseFilter>::Attach(pin.pFilter);
  FILTER_INFO info{};
  owner->QueryFilterInfo(&info);
  if (info.pGraph) info.pGraph->Release();
  EXPECT_EQ(u"Color Space Converter", std::u16string(info.achName));

  ASSERT_TRUE(PlayAndWait());
  const double position = PlayerPosition();
  ProcessEvents(400);
  EXPECT_GT(PlayerPosition(), position + 0.2);
  EXPECT_EQ(mpPlaying, movie->PlayState());
  EXPECT_TRUE(captures.empty());
}

}  // namespace
}  // namespace grabber_test
