// Building graphs: what RenderFile puts together, filters and pins as the enumerators show them,
// intelligent connect through the colour converter, connections undone and made again, names.
#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <thread>

#include "platform/dshow/private_interfaces.h"
#include "tests/dshow/graph_fixture.h"
#include "tests/dshow/test_media.h"

namespace dshow_test {
namespace {

struct PinView {
  std::string name;
  PIN_DIRECTION direction;
  ComPtr<IPin> pin;
};

std::vector<PinView> Pins(IBaseFilter* filter) {
  std::vector<PinView> pins;
  ComPtr<IEnumPins> pinEnum;
  EXPECT_EQ(S_OK, filter->EnumPins(pinEnum.Put()));
  IPin* pin = nullptr;
  ULONG fetched = 0;
  while (pinEnum->Next(1, &pin, &fetched) == S_OK) {
    PIN_INFO info{};
    EXPECT_EQ(S_OK, pin->QueryPinInfo(&info));
    EXPECT_EQ(filter, info.pFilter);
    info.pFilter->Release();
    pins.push_back({Narrow(info.achName), info.dir, ComPtr<IPin>::Attach(pin)});
  }
  return pins;
}

ComPtr<IPin> PinNamed(IBaseFilter* filter, const std::string& name) {
  for (auto& view : Pins(filter))
    if (view.name == name) return view.pin;
  return nullptr;
}

ComPtr<IBaseFilter> OwnerOf(IPin* pin) {
  PIN_INFO info{};
  pin->QueryPinInfo(&info);
  return ComPtr<IBaseFilter>::Attach(info.pFilter);
}

CLSID ClassOf(IBaseFilter* filter) {
  CLSID clsid{};
  filter->GetClassID(&clsid);
  return clsid;
}

ComPtr<IBaseFilter> Create(REFCLSID clsid) {
  ComPtr<IBaseFilter> filter;
  EXPECT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.PutVoid()));
  return filter;
}

class GraphBuilding : public GraphTest {
 protected:
  // The file's source with a video decoder connected to its video pin, and a video renderer.
  void BuildUpToTheDecoder(IGraphBuilder* graph) {
    const std::u16string file = Wide(Clip("timed.mkv"));
    ASSERT_EQ(S_OK, graph->AddSourceFilter(file.c_str(), u"Source", source_.Put()));
    decoder_ = Create(CLSID_FFmpegVideoDecoder);
    renderer_ = Create(CLSID_VideoRenderer);
    ASSERT_EQ(S_OK, graph->AddFilter(decoder_.Get(), u"Video Decoder"));
    ASSERT_EQ(S_OK, graph->AddFilter(renderer_.Get(), u"Video Renderer"));
    ASSERT_EQ(S_OK, graph->ConnectDirect(PinNamed(source_.Get(), "Video").Get(),
                                         PinNamed(decoder_.Get(), "Input").Get(), nullptr));
  }
  ComPtr<IBaseFilter> source_, decoder_, renderer_;
};

TEST_F(GraphBuilding, RenderFileBuildsSourceDecodersConverterAndRenderersWithTheirPins) {
  ComPtr<IGraphBuilder> graph = NewGraph();
  ASSERT_EQ(S_OK, RenderFile(graph.Get(), Clip("timed.mkv")));
  std::vector<std::string> names = FilterNames(graph.Get());
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{Clip("timed.mkv"), "Audio Decoder", "Audio Renderer", "Color Space Converter",
                                      "Video Decoder", "Video Renderer"}),
            names);

  ComPtr<IBaseFilter> source = FindFilter(graph.Get(), Clip("timed.mkv"));
  ASSERT_TRUE(source);
  const std::vector<PinView> pins = Pins(source.Get());
  ASSERT_EQ(2u, pins.size());
  EXPECT_EQ("Video", pins[0].name);
  EXPECT_EQ("Audio", pins[1].name);
  for (const auto& view : pins) {
    EXPECT_EQ(PINDIR_OUTPUT, view.direction);
    ComPtr<IPin> peer;
    EXPECT_EQ(S_OK, view.pin->ConnectedTo(peer.Put())) << view.name;
  }

  // The renderers' ends of the chains: RGB32 pictures of the video's size, 16-bit PCM sound.
  ComPtr<IBaseFilter> video = FindFilter(graph.Get(), "Video Renderer");
  ASSERT_TRUE(video);
  const std::vector<PinView> videoPins = Pins(video.Get());
  ASSERT_EQ(1u, videoPins.size());
  EXPECT_EQ(PINDIR_INPUT, videoPins[0].direction);
  AM_MEDIA_TYPE mt{};
  ASSERT_EQ(S_OK, videoPins[0].pin->ConnectionMediaType(&mt));
  EXPECT_EQ(MEDIASUBTYPE_RGB32, mt.subtype);
  ASSERT_EQ(FORMAT_VideoInfo, mt.formattype);
  const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat);
  EXPECT_EQ(98, info->bmiHeader.biWidth);
  EXPECT_EQ(64, info->bmiHeader.biHeight);
  FreeMediaType(mt);
  ComPtr<IPin> upstream;
  ASSERT_EQ(S_OK, videoPins[0].pin->ConnectedTo(upstream.Put()));
  EXPECT_EQ(CLSID_Colour, ClassOf(OwnerOf(upstream.Get()).Get()));

  ComPtr<IBaseFilter> audio = FindFilter(graph.Get(), "Audio Renderer");
  ASSERT_TRUE(audio);
  ASSERT_EQ(S_OK, Pins(audio.Get())[0].pin->ConnectionMediaType(&mt));
  EXPECT_EQ(MEDIASUBTYPE_PCM, mt.subtype);
  const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(mt.pbFormat);
  EXPECT_EQ(48000u, wave->nSamplesPerSec);
  EXPECT_EQ(2, wave->nChannels);
  FreeMediaType(mt);

  ComPtr<IBasicVideo> basicVideo = graph.As<IBasicVideo>();
  LONG width = 0, height = 0;
  EXPECT_EQ(S_OK, basicVideo->GetVideoSize(&width, &height));
  EXPECT_EQ(98, width);
  EXPECT_EQ(64, height);
}

TEST_F(GraphBuilding, ConnectPutsTheColourConverterBetweenPinsThatDoNotAgree) {
  ComPtr<IGraphBuilder> graph = NewGraph();
  BuildUpToTheDecoder(graph.Get());
  ComPtr<IPin> decoderOut = PinNamed(decoder_.Get(), "Output");
  ComPtr<IPin> rendererIn = PinNamed(renderer_.Get(), "Input");
  EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, graph->ConnectDirect(decoderOut.Get(), rendererIn.Get(), nullptr));

  ASSERT_EQ(S_OK, graph->Connect(decoderOut.Get(), rendererIn.Get()));
  ComPtr<IPin> between;
  ASSERT_EQ(S_OK, rendererIn->ConnectedTo(between.Put()));
  ComPtr<IBaseFilter> converter = OwnerOf(between.Get());
  EXPECT_EQ(CLSID_Colour, ClassOf(converter.Get()));
  ComPtr<IPin> converterIn = PinNamed(converter.Get(), "Input");
  ComPtr<IPin> decoderPeer;
  ASSERT_EQ(S_OK, converterIn->ConnectedTo(decoderPeer.Put()));
  EXPECT_EQ(decoderOut, decoderPeer);
  EXPECT_EQ(4u, FilterNames(graph.Get()).size());
}

TEST_F(GraphBuilding, ConnectWithoutAConverterFailsAndLeavesNoFilterBehind) {
  com::ScopedClassRemoval noConverter(CLSID_Colour);
  ComPtr<IGraphBuilder> graph = NewGraph();
  BuildUpToTheDecoder(graph.Get());
  EXPECT_EQ(VFW_E_CANNOT_CONNECT,
            graph->Connect(PinNamed(decoder_.Get(), "Output").Get(), PinNamed(renderer_.Get(), "Input").Get()));
  EXPECT_EQ(3u, FilterNames(graph.Get()).size());
  // Sound needs no converter; the whole file plays without its pictures.
  EXPECT_EQ(S_OK, graph->Render(PinNamed(source_.Get(), "Audio").Get()));
  ComPtr<IGraphBuilder> other = NewGraph();
  EXPECT_EQ(VFW_S_VIDEO_NOT_RENDERED, RenderFile(other.Get(), Clip("timed.mkv")));
  EXPECT_FALSE(FindFilter(other.Get(), "Video Renderer"));
}

TEST_F(GraphBuilding, PinsDisconnectOneSideAtATimeAndReconnectWithTheSameType) {
  ComPtr<IGraphBuilder> graph = NewGraph();
  BuildUpToTheDecoder(graph.Get());
  ComPtr<IPin> videoOut = PinNamed(source_.Get(), "Video");
  ComPtr<IPin> decoderIn = PinNamed(decoder_.Get(), "Input");
  AM_MEDIA_TYPE before{};
  ASSERT_EQ(S_OK, decoderIn->ConnectionMediaType(&before));

  EXPECT_EQ(S_OK, graph->Reconnect(decoderIn.Get()));
  AM_MEDIA_TYPE after{};
  ASSERT_EQ(S_OK, decoderIn->ConnectionMediaType(&after));
  EXPECT_EQ(before.subtype, after.subtype);
  EXPECT_EQ(before.cbFormat, after.cbFormat);
  FreeMediaType(before);
  FreeMediaType(after);

  // The graph's Disconnect breaks one side only.
  EXPECT_EQ(S_OK, graph->Disconnect(decoderIn.Get()));
  ComPtr<IPin> peer;
  EXPECT_EQ(VFW_E_NOT_CONNECTED, decoderIn->ConnectedTo(peer.Put()));
  EXPECT_FALSE(peer);
  EXPECT_EQ(S_OK, videoOut->ConnectedTo(peer.Put()));
  EXPECT_EQ(S_OK, graph->Disconnect(videoOut.Get()));
  EXPECT_EQ(S_FALSE, graph->Disconnect(videoOut.Get()));
  EXPECT_EQ(VFW_E_NOT_CONNECTED, graph->Reconnect(videoOut.Get()));
  AM_MEDIA_TYPE none{};
  EXPECT_EQ(VFW_E_NOT_CONNECTED, videoOut->ConnectionMediaType(&none));

  EXPECT_EQ(VFW_E_INVALID_DIRECTION, graph->ConnectDirect(decoderIn.Get(), videoOut.Get(), nullptr));
  EXPECT_EQ(S_OK, graph->ConnectDirect(videoOut.Get(), decoderIn.Get(), nullptr));
  EXPECT_EQ(VFW_E_ALREADY_CONNECTED, graph->ConnectDirect(videoOut.Get(), decoderIn.Get(), nullptr));

  // A pin whose filter is not in the graph cannot be connected through it.
  ComPtr<IBaseFilter> stranger = Create(CLSID_FFmpegVideoDecoder);
  EXPECT_EQ(VFW_E_NOT_IN_GRAPH, graph->ConnectDirect(PinNamed(decoder_.Get(), "Output").Get(),
                                                     PinNamed(stranger.Get(), "Input").Get(), nullptr));

  // Connections do not change while the graph runs.
  ASSERT_EQ(S_OK, graph->Render(PinNamed(decoder_.Get(), "Output").Get()));
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Pause)));
  EXPECT_EQ(VFW_E_NOT_STOPPED, graph->Disconnect(decoderIn.Get()));
  EXPECT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Stop));
}

TEST_F(GraphBuilding, FiltersAreFoundByNameAndEnumeratorsNoticeChanges) {
  ComPtr<IGraphBuilder> graph = NewGraph();
  ComPtr<IBaseFilter> first = Create(CLSID_SampleGrabber);
  ComPtr<IBaseFilter> second = Create(CLSID_SampleGrabber);
  EXPECT_EQ(S_OK, graph->AddFilter(first.Get(), u"Grabber"));
  EXPECT_EQ(VFW_S_DUPLICATE_NAME, graph->AddFilter(second.Get(), u"Grabber"));
  EXPECT_EQ((std::vector<std::string>{"Grabber", "Grabber 0001"}), FilterNames(graph.Get()));
  EXPECT_EQ(second, FindFilter(graph.Get(), "Grabber 0001"));
  ComPtr<IBaseFilter> missing;
  EXPECT_EQ(VFW_E_NOT_FOUND, graph->FindFilterByName(u"Nobody", missing.Put()));

  FILTER_INFO info{};
  ASSERT_EQ(S_OK, second->QueryFilterInfo(&info));
  EXPECT_EQ(static_cast<IFilterGraph*>(graph.Get()), info.pGraph);
  info.pGraph->Release();

  ComPtr<IEnumFilters> filters;
  ASSERT_EQ(S_OK, graph->EnumFilters(filters.Put()));
  ComPtr<IEnumFilters> clone;
  ASSERT_EQ(S_OK, filters->Clone(clone.Put()));
  EXPECT_EQ(S_OK, graph->RemoveFilter(first.Get()));
  IBaseFilter* fetched[2] = {};
  ULONG count = 0;
  EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, filters->Next(2, fetched, &count));
  EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, clone->Skip(1));
  EXPECT_EQ(S_OK, filters->Reset());
  EXPECT_EQ(S_FALSE, filters->Next(2, fetched, &count));
  ASSERT_EQ(1u, count);
  EXPECT_EQ(second.Get(), fetched[0]);
  fetched[0]->Release();
  EXPECT_EQ(VFW_E_NOT_FOUND, graph->RemoveFilter(first.Get()));
  ASSERT_EQ(S_OK, first->QueryFilterInfo(&info));
  EXPECT_EQ(nullptr, info.pGraph);
}

TEST_F(GraphBuilding, RenderFileOffTheGuiThreadMakesTheRendererWindowBeforeLaterMessages) {
  ComPtr<IGraphBuilder> graph = NewGraph();
  std::atomic<HRESULT> result{E_FAIL};
  const std::string clip = Clip("clip.mp4");
  std::thread opener([&] { result = RenderFile(graph.Get(), clip); });
  // The GUI thread goes on handling messages meanwhile.
  while (result == E_FAIL) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  opener.join();
  ASSERT_EQ(S_OK, result);
  // Something the opener would post to the GUI thread now finds the window.
  bool found = false;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
          HWND window = win32::HandleFromWidget(widget);
          char name[100] = {};
          if (!window || !GetClassNameA(window, name, sizeof name)) continue;
          std::string lower(name);
          std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
          found = found || lower.find("renderer") != std::string::npos;
        }
      },
      Qt::QueuedConnection);
  Pump(20);
  EXPECT_TRUE(found);
  OAHWND owner = 0;
  EXPECT_EQ(S_OK, graph.As<IVideoWindow>()->get_Owner(&owner));
}

}  // namespace
}  // namespace dshow_test
