// The graph's event queue: what filters report (IMediaEventSink), the default handling of
// EC_COMPLETE and EC_REPAINT, and what the application reads (IMediaEventEx).
#include <algorithm>
#include <chrono>

#include "platform/dshow/event_codes.h"
#include "platform/dshow/filter_graph.h"
#include "platform/dshow/renderer_window.h"

namespace dshow {

void FilterGraph::ResetCompletion(std::size_t renderers) {
  std::lock_guard lock(eventLock_);
  renderers_ = renderers;
  completed_.clear();
  completeQueued_ = false;
}

// With eventLock_ held.
void FilterGraph::QueueEvent(const Event& event) {
  if (notifyFlags_ & AM_MEDIAEVENT_NONOTIFY) {
    FreeEventParams(event.code, event.param1, event.param2);
    return;
  }
  events_.push_back(event);
  eventArrived_.notify_all();
  if (notifyWindow_) PostMessageA(notifyWindow_, static_cast<UINT>(notifyMessage_), 0, notifyData_);
}

HRESULT FilterGraph::Notify(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2) {
  std::lock_guard lock(eventLock_);
  if (EventCode == EC_COMPLETE && defaultComplete_) {
    // One EC_COMPLETE for the application, once every renderer has finished.
    if (completeQueued_) return S_OK;
    completed_.insert(EventParam2);
    if (completed_.size() < std::max<std::size_t>(renderers_, 1)) return S_OK;
    completeQueued_ = true;
    QueueEvent({EC_COMPLETE, EventParam1, 0});
    return S_OK;
  }
  if (EventCode == EC_REPAINT && defaultRepaint_) {
    // A paused graph seeks to where it is, so that the renderer gets its picture again.
    if (repaintPosted_) return S_OK;
    repaintPosted_ = true;
    std::shared_ptr<Handle> handle = handle_;
    PostToGuiThread([handle] {
      std::lock_guard graphLock(handle->lock);
      if (handle->graph) handle->graph->RepaintNow();
    });
    return S_OK;
  }
  QueueEvent({EventCode, EventParam1, EventParam2});
  return S_OK;
}

HRESULT FilterGraph::GetEventHandle(OAEVENT* hEvent) {
  if (!hEvent) return E_POINTER;
  *hEvent = 0;
  return E_NOTIMPL;  // events reach the application through SetNotifyWindow or GetEvent's wait
}

HRESULT FilterGraph::GetEvent(LONG* lEventCode, LONG_PTR* lParam1, LONG_PTR* lParam2, LONG msTimeout) {
  if (!lEventCode || !lParam1 || !lParam2) return E_POINTER;
  *lEventCode = 0;
  *lParam1 = *lParam2 = 0;
  std::unique_lock lock(eventLock_);
  const auto ready = [&] { return !events_.empty(); };
  if (msTimeout < 0)
    eventArrived_.wait(lock, ready);
  else if (!eventArrived_.wait_for(lock, std::chrono::milliseconds(msTimeout), ready))
    return E_ABORT;
  const Event event = events_.front();
  events_.pop_front();
  *lEventCode = event.code;
  *lParam1 = event.param1;
  *lParam2 = event.param2;
  return S_OK;
}

HRESULT FilterGraph::WaitForCompletion(LONG msTimeout, LONG* pEvCode) {
  if (!pEvCode) return E_POINTER;
  *pEvCode = 0;
  {
    std::lock_guard lock(lock_);
    if (state_ != State_Running) return VFW_E_WRONG_STATE;
  }
  std::unique_lock lock(eventLock_);
  auto ending = events_.end();
  const auto found = [&] {
    ending = std::find_if(events_.begin(), events_.end(), [](const Event& e) {
      return e.code == EC_COMPLETE || e.code == EC_ERRORABORT || e.code == EC_USERABORT;
    });
    return ending != events_.end();
  };
  if (msTimeout < 0)
    eventArrived_.wait(lock, found);
  else if (!eventArrived_.wait_for(lock, std::chrono::milliseconds(msTimeout), found))
    return E_ABORT;
  *pEvCode = ending->code;
  events_.erase(ending);
  return S_OK;
}

HRESULT FilterGraph::CancelDefaultHandling(LONG lEvCode) {
  std::lock_guard lock(eventLock_);
  if (lEvCode == EC_COMPLETE)
    defaultComplete_ = false;
  else if (lEvCode == EC_REPAINT)
    defaultRepaint_ = false;
  else
    return E_INVALIDARG;
  return S_OK;
}

HRESULT FilterGraph::RestoreDefaultHandling(LONG lEvCode) {
  std::lock_guard lock(eventLock_);
  if (lEvCode == EC_COMPLETE)
    defaultComplete_ = true;
  else if (lEvCode == EC_REPAINT)
    defaultRepaint_ = true;
  else
    return E_INVALIDARG;
  return S_OK;
}

HRESULT FilterGraph::FreeEventParams(LONG lEvCode, LONG_PTR lParam1, LONG_PTR lParam2) {
  // Only events that carry strings own anything.
  if (lEvCode == EC_ERRORABORTEX) SysFreeString(reinterpret_cast<BSTR>(lParam2));
  if (lEvCode == EC_OLE_EVENT) {
    SysFreeString(reinterpret_cast<BSTR>(lParam1));
    SysFreeString(reinterpret_cast<BSTR>(lParam2));
  }
  return S_OK;
}

HRESULT FilterGraph::SetNotifyWindow(OAHWND hwnd, LONG lMsg, LONG_PTR lInstanceData) {
  HWND window = reinterpret_cast<HWND>(hwnd);
  if (window && !IsWindow(window)) return E_INVALIDARG;
  std::lock_guard lock(eventLock_);
  notifyWindow_ = window;
  notifyMessage_ = lMsg;
  notifyData_ = lInstanceData;
  if (window && !events_.empty()) PostMessageA(window, static_cast<UINT>(lMsg), 0, lInstanceData);
  return S_OK;
}

HRESULT FilterGraph::SetNotifyFlags(LONG lNoNotifyFlags) {
  if (lNoNotifyFlags != 0 && lNoNotifyFlags != AM_MEDIAEVENT_NONOTIFY) return E_INVALIDARG;
  std::lock_guard lock(eventLock_);
  notifyFlags_ = lNoNotifyFlags;
  if (lNoNotifyFlags) {
    for (const Event& event : events_) FreeEventParams(event.code, event.param1, event.param2);
    events_.clear();
  }
  return S_OK;
}

HRESULT FilterGraph::GetNotifyFlags(LONG* lplNoNotifyFlags) {
  if (!lplNoNotifyFlags) return E_POINTER;
  std::lock_guard lock(eventLock_);
  *lplNoNotifyFlags = notifyFlags_;
  return S_OK;
}

}  // namespace dshow
