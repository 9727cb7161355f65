// A control for the host's tests: an in-process COM object with its own window, properties by
// dispatch id, connection points for its events and property changes, and persistence, whose
// behaviour a test sets before the host creates it (the ways a real control may behave or fail).
// It records what the host asks of it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/com/connection_point_server.h"
#include "platform/com/ole.h"

namespace test_control {

inline constexpr CLSID CLSID_TestControl = {
    0x8E1C2F30, 0x5D4B, 0x4A61, {0x9F, 0x2E, 0x11, 0x22, 0x33, 0x44, 0x55, 0x01}};
inline constexpr IID DIID_TestEvents = {0x8E1C2F31, 0x5D4B, 0x4A61, {0x9F, 0x2E, 0x11, 0x22, 0x33, 0x44, 0x55, 0x01}};

// Its own properties.
constexpr DISPID kNumber = 1;   // VT_I4, persisted
constexpr DISPID kText = 2;     // VT_BSTR, persisted
constexpr DISPID kBusy = 3;     // reading it raises an automation exception
constexpr DISPID kPicture = 4;  // VT_DISPATCH, written by reference
constexpr HRESULT kRefusedState = static_cast<HRESULT>(0x80041234);
constexpr LONG kPaletteAnswer = 7;

struct Behaviour {
  DWORD miscStatus = 0;
  SIZEL extent{8467, 6350};    // 320 x 240 pixels at 96 ppi
  bool activates = true;       // DoVerb calls OnInPlaceActivate
  bool makesWindow = true;     // in place, the control has a window
  bool refusesExtent = false;  // SetExtent fails
  bool refusesLoad = false;    // Load fails with kRefusedState
  bool refusesSave = false;    // Save fails with E_FAIL
  bool persists = true;        // answers IPersistStreamInit
  bool hasPoints = true;       // answers IConnectionPointContainer
  bool notifiesPuts = true;    // a written property is told to the property sinks
  bool realizesPalette = false;
  bool showsWindowWhenAttached = false;  // shows its window when the host has taken it (WM_NULL)
  WORD translatedKey = 0;                // TranslateAccelerator takes this virtual key
  std::vector<ACCEL> mnemonics;          // GetControlInfo's accelerators
};

class TestControl final : public IOleObject,
                          public IOleInPlaceObject,
                          public IOleInPlaceActiveObject,
                          public IOleControl,
                          public IPersistStreamInit,
                          public IDispatch,
                          public IViewObject {
 public:
  // What the next created control does, and the control the class factory made last.
  static Behaviour next;
  static TestControl* last;
  static void Register();
  // The procedure of the control's own window.
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  explicit TestControl(const Behaviour& behaviour);

  ULONG references = 1;
  Behaviour behaviour;
  std::vector<std::string> calls;  // what the host asked, in order
  std::map<DISPID, VARIANT> properties;
  std::vector<WORD> putFlags;  // the Invoke flags of each property write
  std::vector<VARTYPE> putTypes;
  std::vector<MSG> translated;  // messages offered to TranslateAccelerator
  std::vector<MSG> mnemonicMessages;
  std::vector<UINT> windowMessages;  // what reached its window's own procedure
  ComPtr<IOleClientSite> site;
  ComPtr<IOleInPlaceSite> inPlaceSite;
  HWND window = nullptr;
  bool shownWhenAttached = false;
  HACCEL mnemonicTable = nullptr;
  bool uiActive = false;
  com::ConnectionPointContainer points{static_cast<IOleObject&>(*this)};
  com::ConnectionPoint& events = points.Add(DIID_TestEvents);
  com::ConnectionPoint& changes = points.Add(IID_IPropertyNotifySink);

  bool Called(const std::string& call) const;
  // Fires an event with arguments given first argument first; answers them as the sinks left them.
  std::vector<VARIANT> Fire(DISPID id, std::vector<VARIANT> arguments);
  void SetProperty(DISPID id, const VARIANT& value);
  ULONG Count() const { return references; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* clientSite) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** clientSite) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND parent,
                                   LPCRECT position) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* classId) override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return OLE_S_USEREG; }
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }
  // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* result) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() override;
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) override;
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  // IOleControl
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* message) override;
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) override;
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL) override { return S_OK; }
  // IPersistStreamInit
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
  HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InitNew() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO* exception, UINT*) override;
  // IViewObject: fills the bounds with its back colour.
  HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                                 BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD, DWORD, IAdviseSink*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }

 private:
  ~TestControl();
  void Log(const std::string& call) { calls.push_back(call); }
  HRESULT ActivateInPlace(IOleClientSite* activeSite, HWND parent, LPCRECT position);
};

}  // namespace test_control
