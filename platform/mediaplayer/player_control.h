// The media player control: one COM object with one reference count and one QueryInterface table
// for every interface a host calls (embedding, in-place activation, control, persistence,
// connection points, IMediaPlayer as dual interface, the compatibility interface).
//
// Threads: every interface is called on the GUI thread. The only other threads are the opener's
// (building a graph) and the graph's own; both reach the control only by messages posted to its
// message window, so every event is fired on the GUI thread. State is owned by the GUI thread.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/connection_point_server.h"
#include "platform/com/ole.h"
#include "platform/mediaplayer/media_opener.h"
#include "platform/mediaplayer/media_player.h"
#include "platform/mediaplayer/message_window.h"
#include "platform/mediaplayer/player_settings.h"
#include "platform/mediaplayer/player_window.h"

class QTimer;

namespace mediaplayer {

class MediaPlayerControl final : public IMediaPlayer,
                                 public IOleObject,
                                 public IOleInPlaceObject,
                                 public IOleInPlaceActiveObject,
                                 public IOleControl,
                                 public IPersistStreamInit,
                                 public IMediaPlayerCompatibility {
 public:
  // The class factory: a new control answering riid (no aggregation).
  static HRESULT Create(IUnknown* outer, REFIID riid, void** object);

  // An automatic start waits this long before it runs the graph. The audio renderer hands over
  // silence for a while after every run as well; together they let nothing out when a host pauses
  // a player that started by itself within a few of its poll periods. Play itself never waits here.
  static constexpr int kAutoStartDelayMs = 100;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

  // IMediaPlayer
  HRESULT STDMETHODCALLTYPE get_CurrentPosition(double* position) override;
  HRESULT STDMETHODCALLTYPE put_CurrentPosition(double position) override;
  HRESULT STDMETHODCALLTYPE get_Duration(double* duration) override;
  HRESULT STDMETHODCALLTYPE get_ImageSourceWidth(LONG* width) override;
  HRESULT STDMETHODCALLTYPE get_ImageSourceHeight(LONG* height) override;
  HRESULT STDMETHODCALLTYPE get_CanScan(VARIANT_BOOL* canScan) override;
  HRESULT STDMETHODCALLTYPE get_CanSeek(VARIANT_BOOL* canSeek) override;
  HRESULT STDMETHODCALLTYPE get_FileName(BSTR* name) override;
  HRESULT STDMETHODCALLTYPE put_FileName(BSTR name) override;
  HRESULT STDMETHODCALLTYPE get_OpenState(LONG* state) override;
  HRESULT STDMETHODCALLTYPE get_PlayState(LONG* state) override;
  HRESULT STDMETHODCALLTYPE get_ReadyState(LONG* state) override;
  HRESULT STDMETHODCALLTYPE get_ErrorCode(LONG* code) override;
  HRESULT STDMETHODCALLTYPE get_ErrorDescription(BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_HasError(VARIANT_BOOL* hasError) override;
  HRESULT STDMETHODCALLTYPE get_AutoStart(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_AutoStart(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_AutoRewind(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_AutoRewind(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_PlayCount(LONG* value) override;
  HRESULT STDMETHODCALLTYPE put_PlayCount(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_Rate(double* value) override;
  HRESULT STDMETHODCALLTYPE put_Rate(double value) override;
  HRESULT STDMETHODCALLTYPE get_SelectionStart(double* value) override;
  HRESULT STDMETHODCALLTYPE put_SelectionStart(double value) override;
  HRESULT STDMETHODCALLTYPE get_SelectionEnd(double* value) override;
  HRESULT STDMETHODCALLTYPE put_SelectionEnd(double value) override;
  HRESULT STDMETHODCALLTYPE get_Volume(LONG* value) override;
  HRESULT STDMETHODCALLTYPE put_Volume(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_Balance(LONG* value) override;
  HRESULT STDMETHODCALLTYPE put_Balance(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_Mute(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_Mute(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_DisplayMode(LONG* value) override;
  HRESULT STDMETHODCALLTYPE put_DisplayMode(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_DisplaySize(LONG* value) override;
  HRESULT STDMETHODCALLTYPE put_DisplaySize(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_AutoSize(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_AutoSize(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE Play() override;
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE Pause() override;
  HRESULT STDMETHODCALLTYPE Open(BSTR name) override;
  HRESULT STDMETHODCALLTYPE Cancel() override;
#define MEDIAPLAYER_OVERRIDE_PROPERTY(Name, id, Type)         \
  HRESULT STDMETHODCALLTYPE get_##Name(Type* value) override; \
  HRESULT STDMETHODCALLTYPE put_##Name(Type value) override;
#define MEDIAPLAYER_OVERRIDE_BOOL(Name, id) MEDIAPLAYER_OVERRIDE_PROPERTY(Name, id, VARIANT_BOOL)
#define MEDIAPLAYER_OVERRIDE_LONG(Name, id) MEDIAPLAYER_OVERRIDE_PROPERTY(Name, id, LONG)
#define MEDIAPLAYER_OVERRIDE_STRING(Name, id) MEDIAPLAYER_OVERRIDE_PROPERTY(Name, id, BSTR)
  MEDIAPLAYER_SETTING_BOOLS(MEDIAPLAYER_OVERRIDE_BOOL)
  MEDIAPLAYER_SETTING_LONGS(MEDIAPLAYER_OVERRIDE_LONG)
  MEDIAPLAYER_SETTING_STRINGS(MEDIAPLAYER_OVERRIDE_STRING)
#undef MEDIAPLAYER_OVERRIDE_STRING
#undef MEDIAPLAYER_OVERRIDE_LONG
#undef MEDIAPLAYER_OVERRIDE_BOOL
#undef MEDIAPLAYER_OVERRIDE_PROPERTY

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR containerApplication, LPCOLESTR containerObject) override;
  HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD whichMoniker, IMoniker* moniker) override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD whichMoniker, IMoniker** moniker) override;
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) override;
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG message, IOleClientSite* activeSite, LONG index, HWND parent,
                                   LPCRECT position) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
  HRESULT STDMETHODCALLTYPE Update() override;
  HRESULT STDMETHODCALLTYPE IsUpToDate() override;
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* classId) override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD formOfType, LPOLESTR* userType) override;
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD drawAspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD drawAspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) override;
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

  // IOleWindow (of both in-place interfaces)
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enterMode) override;
  // IOleInPlaceObject
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() override;
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
  // IOleInPlaceActiveObject
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) override;
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;

  // IOleControl
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* message) override;
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) override;
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

  // IPersistStreamInit
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
  HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
  HRESULT STDMETHODCALLTYPE InitNew() override;

  // IMediaPlayerCompatibility
  HRESULT STDMETHODCALLTYPE get_FilterGraph(IUnknown** graph) override;

 private:
  MediaPlayerControl();
  ~MediaPlayerControl();
  IUnknown* Identity() { return static_cast<IMediaPlayer*>(this); }

  // Events (player_control.cpp). Arguments in declaration order.
  void Fire(DISPID id, std::vector<com::Variant> arguments = {});
  void NotifyChanged(DISPID id);
  void SetOpenState(LONG state);
  void SetPlayState(LONG state);
  void SetReadyState(LONG state);
  void ReportError(HRESULT code);
  void ClearError();

  // Properties (control_properties.cpp).
  HRESULT GetSetting(DISPID id, VARIANT* value);
  HRESULT PutSetting(DISPID id, const VARIANT& value);
  void ApplySetting(DISPID id);
  void ApplyAudioSettings();
  PlayerWindow::Display DisplaySettings() const;
  double ToDisplayUnits(double seconds) const;
  double ToSeconds(double displayUnits) const;
  void RequestAutoSize();

  // Dispatch by id (control_dispatch.cpp).
  HRESULT GetById(DISPID id, VARIANT& value);
  HRESULT PutById(DISPID id, const VARIANT& value);

  // Playback (control_playback.cpp).
  void OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  HRESULT OpenNow(const std::u16string& file);
  // Closes what is open and announces the opening; false when a handler took over meanwhile.
  bool PrepareOpen(const std::u16string& file);
  void FinishOpen(HRESULT result, std::unique_ptr<MediaSession> session);
  // Returns the generation it began; announce: fire the play-state and open-state changes.
  unsigned CloseMedia(bool announce);
  HRESULT StartPlayback(bool automatic);
  void OnStartDelayElapsed();
  void CancelPendingStart();
  void OnGraphEvents();
  void OnEndOfStream();
  void TogglePlayback();

  // In-place activation (control_embedding.cpp).
  HRESULT ActivateInPlace(IOleClientSite* activeSite, HWND parent, LPCRECT position, bool uiActivate);
  PlayerWindow::Actions WindowActions();

  std::atomic<ULONG> references_{1};
  com::ConnectionPointContainer points_;
  com::ConnectionPoint& events_;
  com::ConnectionPoint& propertyNotify_;
  PlayerSettings settings_;
  int frozen_ = 0;  // FreezeEvents nesting: events are dropped while frozen

  // Embedding.
  ComPtr<IOleClientSite> site_;
  ComPtr<IOleInPlaceSite> inPlaceSite_;
  ComPtr<IOleInPlaceFrame> frame_;
  bool uiActive_ = false;
  SIZEL extent_;  // HIMETRIC
  std::unique_ptr<PlayerWindow> window_;

  // Media.
  std::unique_ptr<MessageWindow> messages_;
  MediaOpener opener_;
  WPARAM openTicket_ = 0;
  std::unique_ptr<MediaSession> session_;
  unsigned mediaGeneration_ = 0;  // changes whenever the media is closed or another is opened
  std::u16string fileName_;
  LONG openState_ = nsClosed;
  LONG playState_ = mpClosed;
  LONG readyState_ = mpReadyStateUninitialized;
  HRESULT errorCode_ = S_OK;
  std::string errorDescription_;
  double selectionStart_ = 0;  // seconds
  double selectionEnd_ = 0;    // seconds
  LONG playsDone_ = 0;         // plays completed towards PlayCount
  bool startPending_ = false;  // an automatic start waits for its delay (the graph is paused meanwhile)
  std::unique_ptr<QTimer> startTimer_;
};

}  // namespace mediaplayer
