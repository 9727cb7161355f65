// A sample grabber spliced between the decoder's chain and the video renderer of a rendered file,
// by the steps the preview control takes: the graph stopped, the renderer found by its pins, the
// connection broken, the grabber added and connected on both sides, the graph run again.
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/dshow/graph_fixture.h"
#include "tests/dshow/test_media.h"

namespace dshow_test {
namespace {

// Records what the grabber shows it, on whichever thread it is called.
class RecordingCallback final : public ISampleGrabberCB {
 public:
  struct Frame {
    double time;
    LONG length;
    int brightness;  // blue of the first pixel
    std::thread::id thread;
  };

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_ISampleGrabberCB) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE BufferCB(double SampleTime, BYTE* pBuffer, LONG BufferLen) override {
    std::lock_guard lock(lock_);
    frames_.push_back({SampleTime, BufferLen, pBuffer ? pBuffer[0] : -1, std::this_thread::get_id()});
    return S_OK;
  }
  std::vector<Frame> Frames() {
    std::lock_guard lock(lock_);
    return frames_;
  }

 private:
  std::mutex lock_;
  std::vector<Frame> frames_;
};

ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION direction, int* count = nullptr) {
  ComPtr<IEnumPins> pins;
  filter->EnumPins(pins.Put());
  ComPtr<IPin> first;
  int n = 0;
  IPin* pin = nullptr;
  ULONG fetched = 0;
  while (pins->Next(1, &pin, &fetched) == S_OK) {
    PIN_DIRECTION d;
    pin->QueryDirection(&d);
    if (d == direction && ++n == 1) first = ComPtr<IPin>(pin);
    pin->Release();
  }
  if (count) *count = n;
  return first;
}

// The first filter with exactly one input pin, no output pin, and video on that input.
ComPtr<IBaseFilter> FindVideoRenderer(IFilterGraph* graph) {
  ComPtr<IEnumFilters> filters;
  graph->EnumFilters(filters.Put());
  IBaseFilter* filter = nullptr;
  ULONG fetched = 0;
  while (filters->Next(1, &filter, &fetched) == S_OK) {
    ComPtr<IBaseFilter> owned = ComPtr<IBaseFilter>::Attach(filter);
    int inputs = 0, outputs = 0;
    ComPtr<IPin> input = FirstPin(owned.Get(), PINDIR_INPUT, &inputs);
    FirstPin(owned.Get(), PINDIR_OUTPUT, &outputs);
    if (inputs != 1 || outputs != 0) continue;
    AM_MEDIA_TYPE mt{};
    if (FAILED(input->ConnectionMediaType(&mt))) continue;
    const bool video = mt.majortype == MEDIATYPE_Video;
    FreeMediaType(mt);
    if (video) return owned;
  }
  return nullptr;
}

class GrabberSplice : public GraphTest {};

TEST_F(GrabberSplice, TheGrabberReceivesRgb24FramesOfTheVideosSizeWhileTheRendererShowsThem) {
  RecordingCallback callback;  // outlives the graph that calls it
  ComPtr<IGraphBuilder> graph = NewGraph();
  ASSERT_EQ(S_OK, RenderFile(graph.Get(), Clip("timed.mkv")));
  ComPtr<IMediaControl> control = graph.As<IMediaControl>();
  ASSERT_TRUE(SUCCEEDED(control->Run()));
  Pump(100);

  ComPtr<IFilterGraph> filterGraph = graph.As<IFilterGraph>();
  ASSERT_TRUE(filterGraph.As<IBasicVideo>());
  ASSERT_EQ(S_OK, control->Stop());
  ComPtr<IBaseFilter> renderer = FindVideoRenderer(filterGraph.Get());
  ASSERT_TRUE(renderer);
  ComPtr<IPin> rendererIn = FirstPin(renderer.Get(), PINDIR_INPUT);
  ComPtr<IPin> upstream;
  ASSERT_EQ(S_OK, rendererIn->ConnectedTo(upstream.Put()));
  ASSERT_EQ(S_OK, graph->Disconnect(rendererIn.Get()));
  ASSERT_EQ(S_OK, graph->Disconnect(upstream.Get()));

  ComPtr<ISampleGrabber> grabber;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_ISampleGrabber,
                                   grabber.PutVoid()));
  ASSERT_EQ(S_OK, grabber->SetBufferSamples(FALSE));
  ASSERT_EQ(S_OK, grabber->SetOneShot(FALSE));
  ASSERT_EQ(S_OK, grabber->SetCallback(&callback, 1));
  ComPtr<IBaseFilter> grabberFilter = grabber.As<IBaseFilter>();
  ASSERT_EQ(S_OK, graph->AddFilter(grabberFilter.Get(), u"Sample Grabber"));
  ComPtr<IPin> grabberIn = FirstPin(grabberFilter.Get(), PINDIR_INPUT);
  ComPtr<IPin> grabberOut = FirstPin(grabberFilter.Get(), PINDIR_OUTPUT);
  AM_MEDIA_TYPE wanted{};
  wanted.majortype = MEDIATYPE_Video;
  wanted.subtype = MEDIASUBTYPE_RGB24;
  wanted.formattype = FORMAT_VideoInfo;
  wanted.bFixedSizeSamples = TRUE;
  wanted.lSampleSize = 1;
  ASSERT_EQ(S_OK, grabber->SetMediaType(&wanted));
  ASSERT_EQ(S_OK, graph->Connect(upstream.Get(), grabberIn.Get()));
  ASSERT_EQ(S_OK, graph->Connect(grabberOut.Get(), rendererIn.Get()));

  PIN_INFO pin{};
  ASSERT_EQ(S_OK, upstream->QueryPinInfo(&pin));
  FILTER_INFO info{};
  pin.pFilter->QueryFilterInfo(&info);
  if (info.pGraph) info.pGraph->Release();
  pin.pFilter->Release();
  EXPECT_EQ("Color Space Converter", Narrow(info.achName));

  AM_MEDIA_TYPE connected{};
  ASSERT_EQ(S_OK, grabber->GetConnectedMediaType(&connected));
  EXPECT_EQ(MEDIATYPE_Video, connected.majortype);
  EXPECT_EQ(MEDIASUBTYPE_RGB24, connected.subtype);
  ASSERT_EQ(FORMAT_VideoInfo, connected.formattype);
  const BITMAPINFOHEADER header = reinterpret_cast<const VIDEOINFOHEADER*>(connected.pbFormat)->bmiHeader;
  FreeMediaType(connected);
  EXPECT_EQ(98, header.biWidth);
  EXPECT_EQ(64, header.biHeight);
  EXPECT_EQ(24, header.biBitCount);

  int drawnBefore = 0, droppedBefore = 0;
  ComPtr<IQualProp> quality = renderer.As<IQualProp>();
  ASSERT_EQ(S_OK, quality->get_FramesDrawn(&drawnBefore));
  ASSERT_EQ(S_OK, quality->get_FramesDroppedInRenderer(&droppedBefore));
  Seek(graph.Get(), 0);  // sample times count from the position played from
  ASSERT_TRUE(SUCCEEDED(control->Run()));
  Pump(800);
  ASSERT_TRUE(SUCCEEDED(control->Pause()));

  const std::vector<RecordingCallback::Frame> frames = callback.Frames();
  ASSERT_GE(frames.size(), 5u);
  const LONG rowBytes = 296;  // 98 pixels of 3 bytes, rounded up to whole DWORDs
  int last = -1;
  for (const auto& frame : frames) {
    EXPECT_EQ(rowBytes * 64, frame.length);
    EXPECT_NE(std::this_thread::get_id(), frame.thread) << "the callback ran on the GUI thread";
    EXPECT_GT(frame.brightness, last) << "frames out of order or repeated";
    // Frame n is grey 16 + 8n.
    EXPECT_NEAR(16 + 80 * frame.time, frame.brightness, 3);
    last = frame.brightness;
  }
  // Every frame the grabber saw was shown, or dropped as late on a busy machine.
  int drawn = 0, dropped = 0;
  ASSERT_EQ(S_OK, quality->get_FramesDrawn(&drawn));
  ASSERT_EQ(S_OK, quality->get_FramesDroppedInRenderer(&dropped));
  EXPECT_GT(drawn, drawnBefore);
  EXPECT_GE(drawn - drawnBefore + dropped - droppedBefore, static_cast<int>(frames.size()) - 1);

  // The picture the renderer holds is the frame the grabber saw last, or the one before while the
  // renderer waits for the last one's time.
  LONG size = 0;
  ComPtr<IBasicVideo> video = graph.As<IBasicVideo>();
  ASSERT_EQ(S_OK, video->GetCurrentImage(&size, nullptr));
  std::vector<LONG> image((static_cast<std::size_t>(size) + 3) / 4);
  ASSERT_EQ(S_OK, video->GetCurrentImage(&size, image.data()));
  const auto* bytes = reinterpret_cast<const BYTE*>(image.data());
  const int shown = bytes[sizeof(BITMAPINFOHEADER)];
  EXPECT_TRUE(std::abs(shown - frames.back().brightness) <= 2 ||
              std::abs(shown - frames[frames.size() - 2].brightness) <= 2)
      << shown;
  EXPECT_EQ(S_OK, control->Stop());
  EXPECT_EQ(S_OK, grabber->SetCallback(nullptr, 1));
}

TEST_F(GrabberSplice, BuffersTheLastSampleAndStopsAfterOneInOneShotMode) {
  ComPtr<IGraphBuilder> graph = NewGraph();
  const std::u16string file = Wide(Clip("video_only.mkv"));
  ComPtr<IBaseFilter> source;
  ASSERT_EQ(S_OK, graph->AddSourceFilter(file.c_str(), nullptr, source.Put()));
  ComPtr<ISampleGrabber> grabber;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_ISampleGrabber,
                                   grabber.PutVoid()));
  AM_MEDIA_TYPE wanted{};
  wanted.majortype = MEDIATYPE_Video;
  wanted.subtype = MEDIASUBTYPE_RGB24;
  ASSERT_EQ(S_OK, grabber->SetMediaType(&wanted));
  ASSERT_EQ(S_OK, grabber->SetBufferSamples(TRUE));
  ASSERT_EQ(S_OK, grabber->SetOneShot(TRUE));
  EXPECT_EQ(E_INVALIDARG, grabber->SetCallback(nullptr, 2));
  ComPtr<IBaseFilter> grabberFilter = grabber.As<IBaseFilter>();
  ASSERT_EQ(S_OK, graph->AddFilter(grabberFilter.Get(), u"Sample Grabber"));
  ASSERT_EQ(S_OK, graph->Connect(FirstPin(source.Get(), PINDIR_OUTPUT).Get(),
                                 FirstPin(grabberFilter.Get(), PINDIR_INPUT).Get()));
  LONG size = 0;
  EXPECT_EQ(VFW_E_WRONG_STATE, grabber->GetCurrentBuffer(&size, nullptr));

  // Half way in: one frame, then the end of the stream.
  Seek(graph.Get(), UNITS);
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
  ASSERT_TRUE(WaitForEvent(graph.Get(), EC_COMPLETE, 3000));
  ASSERT_EQ(S_OK, grabber->GetCurrentBuffer(&size, nullptr));
  EXPECT_EQ(296 * 64, size);
  std::vector<LONG> buffer(static_cast<std::size_t>(size) / 4);
  LONG tooSmall = 16;
  EXPECT_EQ(E_OUTOFMEMORY, grabber->GetCurrentBuffer(&tooSmall, buffer.data()));
  ASSERT_EQ(S_OK, grabber->GetCurrentBuffer(&size, buffer.data()));
  EXPECT_NEAR(16 + 8 * 10, reinterpret_cast<const BYTE*>(buffer.data())[0], 3);  // frame 10
  ComPtr<IMediaSample> sample;
  ASSERT_EQ(S_OK, grabber->GetCurrentSample(sample.Put()));
  REFERENCE_TIME start = -1, stop = -1;
  EXPECT_EQ(S_OK, sample->GetTime(&start, &stop));
  EXPECT_EQ(0, start);
  EXPECT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Stop));
}

// Inside the callback for a while, and telling when it is.
class SlowCallback final : public ISampleGrabberCB {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE*, LONG) override {
    inside = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    inside = false;
    ++calls;
    return S_OK;
  }
  std::atomic<bool> inside{false};
  std::atomic<int> calls{0};
};

// The owner of a callback frees it once it has taken it away: no call of it may still be running.
TEST_F(GrabberSplice, TakingTheCallbackAwayWaitsForTheCallInProgress) {
  SlowCallback callback;
  ComPtr<IGraphBuilder> graph = NewGraph();
  ComPtr<IBaseFilter> source;
  ASSERT_EQ(S_OK, graph->AddSourceFilter(Wide(Clip("video_only.mkv")).c_str(), nullptr, source.Put()));
  ComPtr<ISampleGrabber> grabber;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_ISampleGrabber,
                                   grabber.PutVoid()));
  ASSERT_EQ(S_OK, grabber->SetCallback(&callback, 1));
  ComPtr<IBaseFilter> grabberFilter = grabber.As<IBaseFilter>();
  ASSERT_EQ(S_OK, graph->AddFilter(grabberFilter.Get(), u"Sample Grabber"));
  ASSERT_EQ(S_OK, graph->Connect(FirstPin(source.Get(), PINDIR_OUTPUT).Get(),
                                 FirstPin(grabberFilter.Get(), PINDIR_INPUT).Get()));
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (!callback.inside && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  ASSERT_TRUE(callback.inside);
  const int before = callback.calls;
  EXPECT_EQ(S_OK, grabber->SetCallback(nullptr, 1));
  EXPECT_FALSE(callback.inside);
  EXPECT_EQ(before + 1, callback.calls.load());
  Pump(200);
  EXPECT_EQ(before + 1, callback.calls.load()) << "called after it was taken away";
  EXPECT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Stop));
}

}  // namespace
}  // namespace dshow_test
