// IPersistStreamInit: the control's settings saved into and loaded from a host's stream.
#include "platform/mediaplayer/player_control.h"

namespace mediaplayer {

HRESULT STDMETHODCALLTYPE MediaPlayerControl::GetClassID(CLSID* classId) {
  if (!classId) return E_POINTER;
  *classId = CLSID_MediaPlayer;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::IsDirty() { return settings_.IsDirty() ? S_OK : S_FALSE; }

HRESULT STDMETHODCALLTYPE MediaPlayerControl::Load(LPSTREAM stream) {
  if (!stream) return E_POINTER;
  HRESULT hr = settings_.Load(*stream);
  if (FAILED(hr)) return hr;
  if (window_) {
    window_->SetDisplay(DisplaySettings());
    window_->SetEnabled(settings_.Bool(DISPID_MP_ENABLED));
  }
  ApplyAudioSettings();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::Save(LPSTREAM stream, BOOL clearDirty) {
  if (!stream) return E_POINTER;
  return settings_.Save(*stream, clearDirty != FALSE);
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = settings_.SaveSize();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::InitNew() {
  settings_.ResetToDefaults();
  if (window_) window_->SetDisplay(DisplaySettings());
  ApplyAudioSettings();
  return S_OK;
}

}  // namespace mediaplayer
