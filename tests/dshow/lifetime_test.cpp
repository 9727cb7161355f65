// Threads and events over a graph's life: Stop joins every thread it started, releasing a playing
// graph or opening the next file leaves nothing behind, and events reach a window on the GUI
// thread by posted messages.
#include <QCoreApplication>
#include <QThread>
#include <thread>

#include "tests/dshow/graph_fixture.h"
#include "tests/dshow/test_media.h"
#include "tests/ui_support/qt_wait.h"

namespace dshow_test {
namespace {

constexpr UINT kGraphEvent = WM_APP + 17;

class Lifetime : public GraphTest {
 protected:
  void SetUp() override {
    // Threads that Qt or the libraries start once for the process are there before the count.
    ComPtr<IGraphBuilder> warmUp = NewGraph();
    ASSERT_EQ(S_OK, RenderFile(warmUp.Get(), Clip("clip.mp4")));
    ASSERT_TRUE(SUCCEEDED(Control(warmUp.Get(), &IMediaControl::Run)));
    Pump(200);
    warmUp = nullptr;
    Pump(50);
    baseline_ = ThreadCount();
  }
  int baseline_ = 0;
};

TEST_F(Lifetime, StopJoinsEveryThreadWhetherPlayingPausedOrStalled) {
  ComPtr<IGraphBuilder> graph = NewGraph();
  ASSERT_EQ(S_OK, RenderFile(graph.Get(), Clip("clip.mp4")));
  EXPECT_EQ(baseline_, ThreadCount()) << "threads before the graph ran";
  ComPtr<IMediaControl> control = graph.As<IMediaControl>();

  ASSERT_TRUE(SUCCEEDED(control->Run()));
  Pump(300);
  EXPECT_GT(ThreadCount(), baseline_ + 2);  // demultiplexer, decoders, the audio device
  ASSERT_EQ(S_OK, control->Stop());
  EXPECT_EQ(baseline_, ThreadCount());

  // Paused: the queues fill and every streaming thread waits; Stop still gets them all.
  ASSERT_TRUE(SUCCEEDED(control->Pause()));
  Pump(300);
  ASSERT_EQ(S_OK, control->Stop());
  EXPECT_EQ(baseline_, ThreadCount());

  // Stopped at the end while the renderers wait for the last picture's time.
  Seek(graph.Get(), 29 * UNITS / 10);
  ASSERT_TRUE(SUCCEEDED(control->Run()));
  Pump(30);
  ASSERT_EQ(S_OK, control->Stop());
  EXPECT_EQ(baseline_, ThreadCount());
  OAFilterState state = -1;
  EXPECT_EQ(S_OK, control->GetState(0, &state));
  EXPECT_EQ(State_Stopped, state);
}

TEST_F(Lifetime, ReleasingAPlayingGraphOrOpeningTheNextFileLeavesNoThreadBehind) {
  for (const char* clip : {"clip.mp4", "timed.mkv", "clip.mp4"}) {
    ComPtr<IGraphBuilder> graph = NewGraph();
    ASSERT_EQ(S_OK, RenderFile(graph.Get(), Clip(clip)));
    ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
    Pump(150);
    graph = nullptr;  // the next file's graph replaces it while it plays
    EXPECT_EQ(baseline_, ThreadCount()) << clip;
  }
  // Released on a thread of its own, as an opening thread would after a failure.
  ComPtr<IGraphBuilder> graph = NewGraph();
  ASSERT_EQ(S_OK, RenderFile(graph.Get(), Clip("timed.mkv")));
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
  Pump(100);
  std::thread releaser([moved = std::move(graph)]() mutable { moved = nullptr; });
  releaser.join();
  Pump(50);
  EXPECT_EQ(baseline_, ThreadCount());
}

TEST_F(Lifetime, EventsArePostedToTheNotifyWindowAndEndsComeOnceForAllRenderers) {
  struct Received {
    int messages = 0;
    LPARAM data = 0;
    bool onGuiThread = true;
  };
  static Received received;
  received = {};
  WNDCLASSA windowClass{};
  windowClass.lpszClassName = "DshowTestEvents";
  windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == kGraphEvent) {
      ++received.messages;
      received.data = lParam;
      received.onGuiThread = received.onGuiThread && QThread::currentThread() == QCoreApplication::instance()->thread();
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  };
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "DshowTestEvents", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);

  ComPtr<IGraphBuilder> graph = NewGraph();
  ASSERT_EQ(S_OK, RenderFile(graph.Get(), Clip("clip.mp4")));
  ComPtr<IMediaEventEx> events = graph.As<IMediaEventEx>();
  EXPECT_EQ(E_INVALIDARG,
            events->SetNotifyWindow(reinterpret_cast<OAHWND>(reinterpret_cast<HWND>(0x7777)), kGraphEvent, 0));
  ASSERT_EQ(S_OK, events->SetNotifyWindow(reinterpret_cast<OAHWND>(window), kGraphEvent, 42));
  LONG code = 0;
  EXPECT_EQ(VFW_E_WRONG_STATE, events->WaitForCompletion(0, &code));

  Seek(graph.Get(), 5 * UNITS / 2);
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
  EXPECT_EQ(S_OK, events->WaitForCompletion(3000, &code));
  EXPECT_EQ(EC_COMPLETE, code);
  ASSERT_TRUE(test_support::ProcessEventsUntil([] { return received.messages > 0; }, 1000));
  EXPECT_TRUE(received.onGuiThread);
  EXPECT_EQ(42, received.data);
  // Both renderers finished; the application hears of it once.
  Pump(300);
  LONG_PTR p1 = 0, p2 = 0;
  while (events->GetEvent(&code, &p1, &p2, 0) == S_OK) {
    EXPECT_NE(EC_COMPLETE, code);
    events->FreeEventParams(code, p1, p2);
  }
  EXPECT_EQ(E_ABORT, events->GetEvent(&code, &p1, &p2, 10));

  // Without the default handling each renderer's end is an event of its own.
  ASSERT_EQ(S_OK, events->CancelDefaultHandling(EC_COMPLETE));
  Seek(graph.Get(), 5 * UNITS / 2);
  int ends = 0;
  for (int i = 0; i < 2 && WaitForEvent(graph.Get(), EC_COMPLETE, 3000); ++i) ++ends;
  EXPECT_EQ(2, ends);
  EXPECT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Stop));
  EXPECT_EQ(S_OK, events->SetNotifyWindow(0, 0, 0));
  DestroyWindow(window);
}

}  // namespace
}  // namespace dshow_test
