// What the graph tests share: a scratch capture of what SDL would play (its disk driver), a graph
// made the way the product makes it, and waits that keep the Qt event loop turning.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/class_registry.h"
#include "platform/dshow/dshow.h"
#include "tests/support/temp_places.h"

namespace dshow_test {

std::u16string Wide(const std::string& text);
std::string Narrow(const WCHAR* text);

class GraphTest : public testing::Test {
 protected:
  GraphTest();
  ~GraphTest() override;

  // A new filter graph through the class registry.
  ComPtr<IGraphBuilder> NewGraph();
  HRESULT RenderFile(IGraphBuilder* graph, const std::string& path);
  // The filters' names in the graph's order.
  std::vector<std::string> FilterNames(IGraphBuilder* graph);
  ComPtr<IBaseFilter> FindFilter(IGraphBuilder* graph, const std::string& name);
  // Waits (turning the event loop) for the event; false when the time is up first.
  bool WaitForEvent(IGraphBuilder* graph, LONG code, int milliseconds, LONG_PTR* param1 = nullptr);
  REFERENCE_TIME Position(IGraphBuilder* graph);
  void Seek(IGraphBuilder* graph, REFERENCE_TIME position);
  HRESULT Control(IGraphBuilder* graph, HRESULT (STDMETHODCALLTYPE IMediaControl::*action)());
  // What the audio device was given since it last opened (16-bit stereo frames): the capture file,
  // which starts again each time the graph leaves Stopped.
  std::vector<int16_t> Capture() const;
  const std::string& CaptureFile() const { return captureFile_; }

  test_support::TempFolder folder_;
  test_support::ScopedEnvironment environment_;
  std::string captureFile_;
};

// The filters' names in the graph's order.
std::vector<std::string> FilterNamesOf(IFilterGraph* graph);
// Threads of this process now.
int ThreadCount();
// Turns the Qt event loop for that long.
void Pump(int milliseconds);

}  // namespace dshow_test
