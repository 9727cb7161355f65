// Embedding: IOleObject, in-place activation (IOleInPlaceObject, IOleInPlaceActiveObject) and
// IOleControl.
#include "platform/mediaplayer/player_control.h"

namespace mediaplayer {
namespace {

constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                              OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;

}  // namespace

HRESULT STDMETHODCALLTYPE MediaPlayerControl::SetClientSite(IOleClientSite* site) {
  site_ = ComPtr<IOleClientSite>(site);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = site_.Get();
  if (*site) (*site)->AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

HRESULT STDMETHODCALLTYPE MediaPlayerControl::Close(DWORD saveOption) {
  // Back to the loaded state: the window goes, the media and its playback stay.
  InPlaceDeactivate();
  if (saveOption == OLECLOSE_SAVEIFDIRTY && settings_.IsDirty() && site_) site_->SaveObject();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE MediaPlayerControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE MediaPlayerControl::GetClipboardData(DWORD, IDataObject** data) {
  if (data) *data = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND parent,
                                                     LPCRECT position) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE: return ActivateInPlace(activeSite, parent, position, true);
    case OLEIVERB_INPLACEACTIVATE: return ActivateInPlace(activeSite, parent, position, false);
    case OLEIVERB_HIDE:
      UIDeactivate();
      if (window_) ShowWindow(window_->Handle(), SW_HIDE);
      return S_OK;
    case OLEIVERB_DISCARDUNDOSTATE: return S_OK;
    default: return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT MediaPlayerControl::ActivateInPlace(IOleClientSite* activeSite, HWND parent, LPCRECT position,
                                            bool uiActivate) {
  IOleClientSite* site = activeSite ? activeSite : site_.Get();
  if (!site) return E_UNEXPECTED;
  if (!inPlaceSite_) {
    ComPtr<IOleInPlaceSite> inPlaceSite;
    HRESULT hr = site->QueryInterface(IID_IOleInPlaceSite, inPlaceSite.PutVoid());
    if (FAILED(hr) || !inPlaceSite) return E_NOINTERFACE;
    if (inPlaceSite->CanInPlaceActivate() != S_OK) return E_FAIL;
    inPlaceSite_ = inPlaceSite;
    inPlaceSite_->OnInPlaceActivate();
  }
  ComPtr<IOleInPlaceFrame> frame;
  ComPtr<IOleInPlaceUIWindow> document;
  RECT siteRect{};
  RECT clipRect{};
  OLEINPLACEFRAMEINFO frameInfo{};
  frameInfo.cb = sizeof frameInfo;
  inPlaceSite_->GetWindowContext(frame.Put(), document.Put(), &siteRect, &clipRect, &frameInfo);
  frame_ = frame;
  if (!parent) inPlaceSite_->GetWindow(&parent);
  const RECT rect = position ? *position : siteRect;

  if (!window_) {
    window_ = std::make_unique<PlayerWindow>(parent, rect, WindowActions());
    if (!window_->Handle()) {
      window_.reset();
      return E_FAIL;
    }
    window_->SetDisplay(DisplaySettings());
    window_->SetEnabled(settings_.Bool(DISPID_MP_ENABLED));
    window_->Bar().ShowState(playState_, session_ ? session_->Duration() : 0, session_ && session_->CanSeek());
    if (session_) window_->AttachVideo(session_->VideoWindow(), {session_->VideoWidth(), session_->VideoHeight()});
  } else {
    if (parent && GetParent(window_->Handle()) != parent) SetParent(window_->Handle(), parent);
    window_->SetPosition(rect);
    ShowWindow(window_->Handle(), SW_SHOW);
  }
  if (site_) site_->ShowObject();

  if (uiActivate && !uiActive_ && inPlaceSite_) {
    uiActive_ = true;
    inPlaceSite_->OnUIActivate();
    if (frame_) frame_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), u"Windows Media Player");
    if (document) document->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), u"Windows Media Player");
  }
  return S_OK;
}

PlayerWindow::Actions MediaPlayerControl::WindowActions() {
  PlayerWindow::Actions actions;
  actions.bar.playOrPause = [this] { TogglePlayback(); };
  actions.bar.stop = [this] { Stop(); };
  actions.bar.seek = [this](double seconds) { put_CurrentPosition(ToDisplayUnits(seconds)); };
  actions.bar.position = [this] { return session_ ? session_->Position() : 0.0; };
  actions.click = [this] {
    if (settings_.Bool(DISPID_MP_SENDMOUSECLICKEVENTS)) Fire(DISPID_CLICK);
    if (settings_.Bool(DISPID_MP_CLICKTOPLAY)) TogglePlayback();
  };
  actions.doubleClick = [this] {
    if (settings_.Bool(DISPID_MP_SENDMOUSECLICKEVENTS)) Fire(DISPID_DBLCLICK);
  };
  return actions;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs) *verbs = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::Update() { return S_OK; }
HRESULT STDMETHODCALLTYPE MediaPlayerControl::IsUpToDate() { return S_OK; }

HRESULT STDMETHODCALLTYPE MediaPlayerControl::GetUserClassID(CLSID* classId) {
  if (!classId) return E_POINTER;
  *classId = CLSID_MediaPlayer;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::GetUserType(DWORD, LPOLESTR* userType) {
  if (userType) *userType = nullptr;
  return OLE_S_USEREG;  // the name is the class's in the registry
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::SetExtent(DWORD drawAspect, SIZEL* size) {
  if (drawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  if (size->cx < 0 || size->cy < 0) return E_INVALIDARG;
  extent_ = *size;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::GetExtent(DWORD drawAspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (drawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = extent_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::Advise(IAdviseSink*, DWORD* connection) {
  if (connection) *connection = 0;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::Unadvise(DWORD) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE MediaPlayerControl::EnumAdvise(IEnumSTATDATA** advise) {
  if (advise) *advise = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (!status) return E_POINTER;
  *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE MediaPlayerControl::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = window_ ? window_->Handle() : nullptr;
  return *window ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE MediaPlayerControl::InPlaceDeactivate() {
  if (!inPlaceSite_) return S_OK;
  UIDeactivate();
  window_.reset();  // hands the video window back before its own goes
  frame_ = nullptr;
  ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
  site->OnInPlaceDeactivate();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::UIDeactivate() {
  if (!uiActive_) return S_OK;
  uiActive_ = false;
  if (frame_) frame_->SetActiveObject(nullptr, nullptr);
  if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::SetObjectRects(LPCRECT position, LPCRECT) {
  if (!position) return E_INVALIDARG;
  if (window_) window_->SetPosition(*position);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::ReactivateAndUndo() { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE MediaPlayerControl::TranslateAccelerator(LPMSG) { return S_FALSE; }
HRESULT STDMETHODCALLTYPE MediaPlayerControl::OnFrameWindowActivate(BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE MediaPlayerControl::OnDocWindowActivate(BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE MediaPlayerControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE MediaPlayerControl::EnableModeless(BOOL) { return S_OK; }

HRESULT STDMETHODCALLTYPE MediaPlayerControl::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  info->hAccel = nullptr;  // no mnemonics
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::OnMnemonic(MSG*) { return S_OK; }
HRESULT STDMETHODCALLTYPE MediaPlayerControl::OnAmbientPropertyChange(DISPID) { return S_OK; }

HRESULT STDMETHODCALLTYPE MediaPlayerControl::FreezeEvents(BOOL freeze) {
  if (freeze)
    ++frozen_;
  else if (frozen_ > 0)
    --frozen_;
  return S_OK;
}

}  // namespace mediaplayer
