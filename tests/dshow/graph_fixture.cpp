#include "tests/dshow/graph_fixture.h"

#include <SDL2/SDL.h>
#include <dirent.h>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <fstream>
#include <iterator>

namespace dshow_test {

std::u16string Wide(const std::string& text) { return com::Utf8ToUtf16(text); }

std::string Narrow(const WCHAR* text) { return com::Utf16ToUtf8(text ? std::u16string(text) : std::u16string()); }

GraphTest::GraphTest() : folder_("sonvarra-dshow-test") {
  captureFile_ = folder_.str() + "/heard.raw";
  environment_.Set("SDL_AUDIODRIVER", "disk");
  environment_.Set("SDL_DISKAUDIOFILE", captureFile_);
  dshow::RegisterClasses();
  // The disk driver announces itself on every open; the tests know.
  SDL_LogSetOutputFunction([](void*, int, SDL_LogPriority, const char*) {}, nullptr);
}

GraphTest::~GraphTest() { Pump(20); }

ComPtr<IGraphBuilder> GraphTest::NewGraph() {
  ComPtr<IGraphBuilder> graph;
  EXPECT_EQ(S_OK,
            CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()));
  return graph;
}

HRESULT GraphTest::RenderFile(IGraphBuilder* graph, const std::string& path) {
  const std::u16string name = Wide(path);
  return graph->RenderFile(name.c_str(), nullptr);
}

std::vector<std::string> GraphTest::FilterNames(IGraphBuilder* graph) { return FilterNamesOf(graph); }

std::vector<std::string> FilterNamesOf(IFilterGraph* graph) {
  std::vector<std::string> names;
  ComPtr<IEnumFilters> filters;
  if (FAILED(graph->EnumFilters(filters.Put()))) return names;
  IBaseFilter* filter = nullptr;
  ULONG fetched = 0;
  while (filters->Next(1, &filter, &fetched) == S_OK) {
    FILTER_INFO info{};
    filter->QueryFilterInfo(&info);
    if (info.pGraph) info.pGraph->Release();
    names.push_back(Narrow(info.achName));
    filter->Release();
  }
  return names;
}

ComPtr<IBaseFilter> GraphTest::FindFilter(IGraphBuilder* graph, const std::string& name) {
  ComPtr<IBaseFilter> filter;
  const std::u16string wide = Wide(name);
  graph->FindFilterByName(wide.c_str(), filter.Put());
  return filter;
}

bool GraphTest::WaitForEvent(IGraphBuilder* graph, LONG code, int milliseconds, LONG_PTR* param1) {
  ComPtr<IMediaEvent> events = ComPtr<IGraphBuilder>(graph).As<IMediaEvent>();
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < milliseconds) {
    LONG got = 0;
    LONG_PTR p1 = 0, p2 = 0;
    while (events->GetEvent(&got, &p1, &p2, 0) == S_OK) {
      events->FreeEventParams(got, p1, p2);
      if (got == code) {
        if (param1) *param1 = p1;
        return true;
      }
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return false;
}

REFERENCE_TIME GraphTest::Position(IGraphBuilder* graph) {
  ComPtr<IMediaSeeking> seeking = ComPtr<IGraphBuilder>(graph).As<IMediaSeeking>();
  LONGLONG position = -1;
  EXPECT_EQ(S_OK, seeking->GetCurrentPosition(&position));
  return position;
}

void GraphTest::Seek(IGraphBuilder* graph, REFERENCE_TIME position) {
  ComPtr<IMediaSeeking> seeking = ComPtr<IGraphBuilder>(graph).As<IMediaSeeking>();
  LONGLONG target = position;
  EXPECT_EQ(S_OK, seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
}

HRESULT GraphTest::Control(IGraphBuilder* graph, HRESULT (STDMETHODCALLTYPE IMediaControl::*action)()) {
  ComPtr<IMediaControl> control = ComPtr<IGraphBuilder>(graph).As<IMediaControl>();
  return (control.Get()->*action)();
}

std::vector<int16_t> GraphTest::Capture() const {
  std::ifstream in(captureFile_, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> samples(bytes.size() / 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

int ThreadCount() {
  int count = 0;
  if (DIR* tasks = opendir("/proc/self/task")) {
    while (dirent* entry = readdir(tasks))
      if (entry->d_name[0] != '.') ++count;
    closedir(tasks);
  }
  return count;
}

void Pump(int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace dshow_test
