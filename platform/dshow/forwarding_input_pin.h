// The input pin of every filter of this layer: it checks its arguments and passes each call on to
// the filter, which writes what its input does as its own methods (InputHandler).
#pragma once

#include <string>

#include "platform/dshow/base_filter.h"

namespace dshow {

// What a filter does with what reaches its input pin. The streaming calls arrive on the thread that
// delivers to the pin; CheckInputType and OnInputConnected while the filter is stopped.
class InputHandler {
 public:
  // S_OK when the pin takes the type, S_FALSE when not.
  virtual HRESULT CheckInputType(const AM_MEDIA_TYPE& mt) = 0;
  // Both sides have agreed on the type; a failure undoes the connection.
  virtual HRESULT OnInputConnected(const MediaType&) { return S_OK; }
  virtual HRESULT OnReceive(IMediaSample* sample) = 0;  // never null
  virtual HRESULT OnEndOfStream() = 0;
  virtual HRESULT OnBeginFlush() = 0;
  virtual HRESULT OnEndFlush() = 0;
  virtual HRESULT OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) = 0;
  // Whether decoded pictures are wanted downstream of the pin now (IFrameDemand).
  virtual bool InputWantsFrames() { return true; }

 protected:
  ~InputHandler() = default;
};

class ForwardingInputPin final : public DemandInputPin {
 public:
  ForwardingInputPin(BaseFilter& filter, std::u16string name, InputHandler& handler)
      : DemandInputPin(filter, std::move(name)), handler_(handler) {}

  HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override { return handler_.CheckInputType(mt); }
  HRESULT STDMETHODCALLTYPE Receive(IMediaSample* pSample) override {
    return pSample ? handler_.OnReceive(pSample) : E_POINTER;
  }
  HRESULT STDMETHODCALLTYPE EndOfStream() override { return handler_.OnEndOfStream(); }
  HRESULT STDMETHODCALLTYPE BeginFlush() override { return handler_.OnBeginFlush(); }
  HRESULT STDMETHODCALLTYPE EndFlush() override { return handler_.OnEndFlush(); }
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override {
    return handler_.OnNewSegment(tStart, tStop, dRate);
  }
  BOOL STDMETHODCALLTYPE FramesWanted() override { return handler_.InputWantsFrames() ? TRUE : FALSE; }

 protected:
  HRESULT CompleteConnect(IPin*) override { return handler_.OnInputConnected(ConnectionType()); }

 private:
  InputHandler& handler_;
};

}  // namespace dshow
