#include "player/sample_grabber_cb.h"

#include "platform/com/class_registry.h"

TSampleGrabberCB::~TSampleGrabberCB() { FreeMediaType(MediaType); }

HRESULT STDMETHODCALLTYPE TSampleGrabberCB::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_ISampleGrabberCB || riid == IID_IUnknown) {
    *object = static_cast<ISampleGrabberCB*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TSampleGrabberCB::SampleCB(double, IMediaSample*) { return S_OK; }

HRESULT STDMETHODCALLTYPE TSampleGrabberCB::BufferCB(double, BYTE*, LONG) { return S_OK; }

void TSampleGrabberCB::SetBurstCount(int value) {
  if (value == BurstCount || value < 0) return;
  BurstCount = value;
}

void TSampleGrabberCB::SetBurstInterval(int value) {
  if (value == BurstInterval || value < 1) return;
  BurstInterval = value;
}

void TSampleGrabberCB::Cancel() {
  Remaining = 0;
  Armed = false;
}

bool SampleGrabberAvailable() {
  ComPtr<ISampleGrabber> grabber;
  return SUCCEEDED(CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_ISampleGrabber,
                                    grabber.PutVoid())) &&
         grabber;
}
