// The filter graph manager (CLSID_FilterGraph): holds the filters and their connections, builds
// graphs (intelligent connect, Render, RenderFile), changes the state of every filter (renderers
// first), keeps the clock and the playing position, seeks through the source, queues events for
// the application, and passes IBasicVideo, IVideoWindow and IBasicAudio on to the renderers.
//
// Calls are serialised by the graph's lock; streaming threads only reach the event queue (its own
// lock), never the graph's lock. Calls that end on the GUI thread (the video window) are passed on
// without the graph's lock held.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/dshow/com_object.h"
#include "platform/dshow/control_interfaces.h"
#include "platform/dshow/enumerators.h"
#include "platform/dshow/media_type.h"
#include "platform/dshow/seeking_interface.h"

namespace dshow {

class FilterGraph;

// The graph's IBasicVideo and IVideoWindow: each call goes to the video renderer, or fails with
// E_NOINTERFACE when the graph has none.
class VideoForwarder final : public NoTypeInfo<IBasicVideo>, public NoTypeInfo<IVideoWindow> {
 public:
  explicit VideoForwarder(FilterGraph& graph) : graph_(graph) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return NoTypeInfo<IBasicVideo>::GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override {
    return NoTypeInfo<IBasicVideo>::GetTypeInfo(i, l, t);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
    return NoTypeInfo<IBasicVideo>::GetIDsOfNames(r, n, c, l, d);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v, EXCEPINFO* e,
                                   UINT* a) override {
    return NoTypeInfo<IBasicVideo>::Invoke(d, r, l, f, p, v, e, a);
  }

  // IBasicVideo
  HRESULT STDMETHODCALLTYPE get_AvgTimePerFrame(REFTIME* p) override;
  HRESULT STDMETHODCALLTYPE get_BitRate(LONG* p) override;
  HRESULT STDMETHODCALLTYPE get_BitErrorRate(LONG* p) override;
  HRESULT STDMETHODCALLTYPE get_VideoWidth(LONG* p) override;
  HRESULT STDMETHODCALLTYPE get_VideoHeight(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_SourceLeft(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_SourceLeft(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_SourceWidth(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_SourceWidth(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_SourceTop(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_SourceTop(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_SourceHeight(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_SourceHeight(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_DestinationLeft(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_DestinationLeft(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_DestinationWidth(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_DestinationWidth(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_DestinationTop(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_DestinationTop(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_DestinationHeight(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_DestinationHeight(LONG* p) override;
  HRESULT STDMETHODCALLTYPE SetSourcePosition(LONG l, LONG t, LONG w, LONG h) override;
  HRESULT STDMETHODCALLTYPE GetSourcePosition(LONG* l, LONG* t, LONG* w, LONG* h) override;
  HRESULT STDMETHODCALLTYPE SetDefaultSourcePosition() override;
  HRESULT STDMETHODCALLTYPE SetDestinationPosition(LONG l, LONG t, LONG w, LONG h) override;
  HRESULT STDMETHODCALLTYPE GetDestinationPosition(LONG* l, LONG* t, LONG* w, LONG* h) override;
  HRESULT STDMETHODCALLTYPE SetDefaultDestinationPosition() override;
  HRESULT STDMETHODCALLTYPE GetVideoSize(LONG* w, LONG* h) override;
  HRESULT STDMETHODCALLTYPE GetVideoPaletteEntries(LONG s, LONG n, LONG* r, LONG* p) override;
  HRESULT STDMETHODCALLTYPE GetCurrentImage(LONG* size, LONG* image) override;
  HRESULT STDMETHODCALLTYPE IsUsingDefaultSource() override;
  HRESULT STDMETHODCALLTYPE IsUsingDefaultDestination() override;

  // IVideoWindow
  HRESULT STDMETHODCALLTYPE put_Caption(BSTR v) override;
  HRESULT STDMETHODCALLTYPE get_Caption(BSTR* p) override;
  HRESULT STDMETHODCALLTYPE put_WindowStyle(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_WindowStyle(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_WindowStyleEx(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_WindowStyleEx(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_AutoShow(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_AutoShow(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_WindowState(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_WindowState(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_BackgroundPalette(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_BackgroundPalette(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_Visible(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_Visible(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_Left(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_Left(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_Width(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_Width(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_Top(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_Top(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_Height(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_Height(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_Owner(OAHWND v) override;
  HRESULT STDMETHODCALLTYPE get_Owner(OAHWND* p) override;
  HRESULT STDMETHODCALLTYPE put_MessageDrain(OAHWND v) override;
  HRESULT STDMETHODCALLTYPE get_MessageDrain(OAHWND* p) override;
  HRESULT STDMETHODCALLTYPE get_BorderColor(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_BorderColor(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_FullScreenMode(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_FullScreenMode(LONG v) override;
  HRESULT STDMETHODCALLTYPE SetWindowForeground(LONG v) override;
  HRESULT STDMETHODCALLTYPE NotifyOwnerMessage(OAHWND h, LONG m, LONG_PTR w, LONG_PTR l) override;
  HRESULT STDMETHODCALLTYPE SetWindowPosition(LONG l, LONG t, LONG w, LONG h) override;
  HRESULT STDMETHODCALLTYPE GetWindowPosition(LONG* l, LONG* t, LONG* w, LONG* h) override;
  HRESULT STDMETHODCALLTYPE GetMinIdealImageSize(LONG* w, LONG* h) override;
  HRESULT STDMETHODCALLTYPE GetMaxIdealImageSize(LONG* w, LONG* h) override;
  HRESULT STDMETHODCALLTYPE GetRestorePosition(LONG* l, LONG* t, LONG* w, LONG* h) override;
  HRESULT STDMETHODCALLTYPE HideCursor(LONG v) override;
  HRESULT STDMETHODCALLTYPE IsCursorHidden(LONG* p) override;

 private:
  FilterGraph& graph_;
};

// The graph's IBasicAudio, passed on to the audio renderer.
class AudioForwarder final : public NoTypeInfo<IBasicAudio> {
 public:
  explicit AudioForwarder(FilterGraph& graph) : graph_(graph) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE put_Volume(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_Volume(LONG* p) override;
  HRESULT STDMETHODCALLTYPE put_Balance(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_Balance(LONG* p) override;

 private:
  FilterGraph& graph_;
};

class FilterGraph final : public IGraphBuilder,
                          public NoTypeInfo<IMediaControl>,
                          public NoTypeInfo<IMediaEventEx>,
                          public IMediaSeeking,
                          public IMediaEventSink,
                          public IMediaFilter,
                          private RefCounted {
 public:
  FilterGraph();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

  // IFilterGraph
  HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter* pFilter, LPCWSTR pName) override;
  HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter* pFilter) override;
  HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters** ppEnum) override;
  HRESULT STDMETHODCALLTYPE FindFilterByName(LPCWSTR pName, IBaseFilter** ppFilter) override;
  HRESULT STDMETHODCALLTYPE ConnectDirect(IPin* ppinOut, IPin* ppinIn, const AM_MEDIA_TYPE* pmt) override;
  HRESULT STDMETHODCALLTYPE Reconnect(IPin* ppin) override;
  HRESULT STDMETHODCALLTYPE Disconnect(IPin* ppin) override;
  HRESULT STDMETHODCALLTYPE SetDefaultSyncSource() override;

  // IGraphBuilder
  HRESULT STDMETHODCALLTYPE Connect(IPin* ppinOut, IPin* ppinIn) override;
  HRESULT STDMETHODCALLTYPE Render(IPin* ppinOut) override;
  HRESULT STDMETHODCALLTYPE RenderFile(LPCWSTR lpcwstrFile, LPCWSTR lpcwstrPlayList) override;
  HRESULT STDMETHODCALLTYPE AddSourceFilter(LPCWSTR lpcwstrFileName, LPCWSTR lpcwstrFilterName,
                                            IBaseFilter** ppFilter) override;
  HRESULT STDMETHODCALLTYPE SetLogFile(DWORD_PTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Abort() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ShouldOperationContinue() override { return S_OK; }

  // IMediaControl (Stop and Pause serve IMediaFilter too)
  HRESULT STDMETHODCALLTYPE Run() override;
  HRESULT STDMETHODCALLTYPE Pause() override;
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE GetState(LONG msTimeout, OAFilterState* pfs) override;
  HRESULT STDMETHODCALLTYPE RenderFile(BSTR strFilename) override;
  HRESULT STDMETHODCALLTYPE AddSourceFilter(BSTR, IDispatch** ppUnk) override;
  HRESULT STDMETHODCALLTYPE get_FilterCollection(IDispatch** ppUnk) override;
  HRESULT STDMETHODCALLTYPE get_RegFilterCollection(IDispatch** ppUnk) override;
  HRESULT STDMETHODCALLTYPE StopWhenReady() override;

  // IMediaEvent, IMediaEventEx
  HRESULT STDMETHODCALLTYPE GetEventHandle(OAEVENT* hEvent) override;
  HRESULT STDMETHODCALLTYPE GetEvent(LONG* lEventCode, LONG_PTR* lParam1, LONG_PTR* lParam2, LONG msTimeout) override;
  HRESULT STDMETHODCALLTYPE WaitForCompletion(LONG msTimeout, LONG* pEvCode) override;
  HRESULT STDMETHODCALLTYPE CancelDefaultHandling(LONG lEvCode) override;
  HRESULT STDMETHODCALLTYPE RestoreDefaultHandling(LONG lEvCode) override;
  HRESULT STDMETHODCALLTYPE FreeEventParams(LONG lEvCode, LONG_PTR lParam1, LONG_PTR lParam2) override;
  HRESULT STDMETHODCALLTYPE SetNotifyWindow(OAHWND hwnd, LONG lMsg, LONG_PTR lInstanceData) override;
  HRESULT STDMETHODCALLTYPE SetNotifyFlags(LONG lNoNotifyFlags) override;
  HRESULT STDMETHODCALLTYPE GetNotifyFlags(LONG* lplNoNotifyFlags) override;

  // IMediaEventSink
  HRESULT STDMETHODCALLTYPE Notify(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2) override;

  // IMediaSeeking
  HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* pCapabilities) override;
  HRESULT STDMETHODCALLTYPE CheckCapabilities(DWORD* pCapabilities) override;
  HRESULT STDMETHODCALLTYPE IsFormatSupported(const GUID* pFormat) override;
  HRESULT STDMETHODCALLTYPE QueryPreferredFormat(GUID* pFormat) override;
  HRESULT STDMETHODCALLTYPE GetTimeFormat(GUID* pFormat) override;
  HRESULT STDMETHODCALLTYPE IsUsingTimeFormat(const GUID* pFormat) override;
  HRESULT STDMETHODCALLTYPE SetTimeFormat(const GUID* pFormat) override;
  HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG* pDuration) override;
  HRESULT STDMETHODCALLTYPE GetStopPosition(LONGLONG* pStop) override;
  HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG* pCurrent) override;
  HRESULT STDMETHODCALLTYPE ConvertTimeFormat(LONGLONG* pTarget, const GUID* pTargetFormat, LONGLONG Source,
                                              const GUID* pSourceFormat) override;
  HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop,
                                         DWORD dwStopFlags) override;
  HRESULT STDMETHODCALLTYPE GetPositions(LONGLONG* pCurrent, LONGLONG* pStop) override;
  HRESULT STDMETHODCALLTYPE GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest) override;
  HRESULT STDMETHODCALLTYPE SetRate(double dRate) override;
  HRESULT STDMETHODCALLTYPE GetRate(double* pdRate) override;
  HRESULT STDMETHODCALLTYPE GetPreroll(LONGLONG* pllPreroll) override;

  // IMediaFilter
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override;
  HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME tStart) override;
  HRESULT STDMETHODCALLTYPE GetState(DWORD dwMilliSecsTimeout, FILTER_STATE* State) override;
  HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* pClock) override;
  HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** pClock) override;

  // The first filter of the graph that has the interface (for the forwarders).
  template <class Interface>
  ComPtr<Interface> FindInterface() {
    std::lock_guard lock(lock_);
    for (const Entry& entry : filters_) {
      ComPtr<Interface> found = entry.filter.As<Interface>();
      if (found) return found;
    }
    return nullptr;
  }

 private:
  struct Entry {
    ComPtr<IBaseFilter> filter;
    std::u16string name;
  };
  struct Event {
    LONG code;
    LONG_PTR param1;
    LONG_PTR param2;
  };
  // Lives as long as anything posted for the graph; cleared when the graph goes.
  struct Handle {
    std::mutex lock;
    FilterGraph* graph = nullptr;  // guarded by lock
  };

  ~FilterGraph() override;

  // With lock_ held:
  bool Contains(IBaseFilter* filter) const;
  bool PinInGraph(IPin* pin) const;
  HRESULT AddFilterLocked(IBaseFilter* filter, const std::u16string& name);
  HRESULT RemoveFilterLocked(IBaseFilter* filter);
  HRESULT ConnectDirectLocked(IPin* out, IPin* in, const AM_MEDIA_TYPE* mt);
  HRESULT ConnectLocked(IPin* out, IPin* in, int depth);
  HRESULT RenderLocked(IPin* out, int depth);
  HRESULT AddSourceFilterLocked(LPCWSTR file, LPCWSTR name, ComPtr<IBaseFilter>& filter);
  void ChooseClockLocked();
  std::vector<ComPtr<IBaseFilter>> RendererFirstLocked() const;
  std::vector<ComPtr<IBaseFilter>> RenderersLocked() const;
  ComPtr<IMediaSeeking> SeekingLocked() const;
  HRESULT PauseLocked();
  HRESULT RunLocked(REFERENCE_TIME start);
  HRESULT StopLocked();
  REFERENCE_TIME PositionLocked();  // media time
  REFERENCE_TIME StreamTimeLocked();
  HRESULT SeekLocked(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags);
  void Restarted();  // between a running seek's flush and its restart
  void RepaintNow();

  // The event queue (its own lock).
  void ResetCompletion(std::size_t renderers);
  void QueueEvent(const Event& event);

  VideoForwarder video_{*this};
  AudioForwarder audio_{*this};
  const std::shared_ptr<Handle> handle_ = std::make_shared<Handle>();

  mutable std::mutex lock_;
  // Guarded by lock_:
  std::vector<Entry> filters_;
  ULONG version_ = 0;
  FILTER_STATE state_ = State_Stopped;
  ComPtr<IReferenceClock> clock_;
  bool clockChosenByCaller_ = false;
  REFERENCE_TIME start_ = 0;         // reference time of stream time 0 while running
  REFERENCE_TIME pausedStream_ = 0;  // stream time reached when paused
  REFERENCE_TIME segmentStart_ = 0;  // media time of stream time 0
  GUID timeFormat_ = TIME_FORMAT_MEDIA_TIME;

  std::mutex eventLock_;
  std::condition_variable eventArrived_;
  // Guarded by eventLock_:
  std::deque<Event> events_;
  HWND notifyWindow_ = nullptr;
  LONG notifyMessage_ = 0;
  LONG_PTR notifyData_ = 0;
  LONG notifyFlags_ = 0;
  bool defaultComplete_ = true;
  bool defaultRepaint_ = true;
  std::size_t renderers_ = 0;
  std::set<LONG_PTR> completed_;
  bool completeQueued_ = false;
  bool repaintPosted_ = false;

  friend class VideoForwarder;
  friend class AudioForwarder;
};

}  // namespace dshow
