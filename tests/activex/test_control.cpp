#include "tests/activex/test_control.h"

#include <QWidget>
#include <cstring>

#include "framework/graphics.h"
#include "framework/ole_graphics.h"
#include "tests/activex/variant_values.h"

namespace test_control {

using test_values::Boolean;
using test_values::Long;
using test_values::Of;

Behaviour TestControl::next;
TestControl* TestControl::last = nullptr;

namespace {

constexpr char kWindowClass[] = "TestControlWindow";

template <class T>
bool ReadValue(IStream* stream, T& value) {
  ULONG read = 0;
  return SUCCEEDED(stream->Read(&value, sizeof value, &read)) && read == sizeof value;
}

}  // namespace

void TestControl::Register() {
  WNDCLASSA windowClass{};
  if (!GetClassInfoA(nullptr, kWindowClass, &windowClass)) {
    windowClass.lpfnWndProc = &TestControl::WindowProcedure;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
  }
  com::RegisterClass(CLSID_TestControl, "Test Control", [](IUnknown* outer, REFIID riid, void** object) -> HRESULT {
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* control = new TestControl(next);
    last = control;
    const HRESULT hr = control->QueryInterface(riid, object);
    control->Release();
    return hr;
  });
}

TestControl::TestControl(const Behaviour& b) : behaviour(b) {
  properties[DISPID_ENABLED] = Boolean(true);
  properties[DISPID_BACKCOLOR] = Long(0x00FF00);  // green
  properties[DISPID_FORECOLOR] = Long(0x000080);
  properties[DISPID_CAPTION] = test_values::Text("Host1");
  TFont font;
  font.Name = "Tahoma";
  font.SetSize(12);
  font.Style = static_cast<int>(TFontStyle::fsBold);
  VARIANT oleFont = Of(VT_DISPATCH);
  oleFont.pdispVal = GetOleFont(font).Detach();
  properties[DISPID_FONT] = oleFont;
  properties[kNumber] = Long(0);
  VARIANT text;
  VariantInit(&text);
  properties[kText] = text;
}

TestControl::~TestControl() {
  if (window) DestroyWindow(window);
  if (mnemonicTable) DestroyAcceleratorTable(mnemonicTable);
  for (auto& [id, value] : properties) VariantClear(&value);
  if (last == this) last = nullptr;
}

bool TestControl::Called(const std::string& call) const {
  for (const std::string& c : calls)
    if (c == call) return true;
  return false;
}

std::vector<VARIANT> TestControl::Fire(DISPID id, std::vector<VARIANT> arguments) {
  std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
  DISPPARAMS parameters{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  events.FireDispatch(id, parameters);
  return std::vector<VARIANT>(reversed.rbegin(), reversed.rend());
}

void TestControl::SetProperty(DISPID id, const VARIANT& value) {
  VariantCopy(&properties[id], &value);
  if (behaviour.notifiesPuts) changes.FireOnChanged(id);
}

HRESULT STDMETHODCALLTYPE TestControl::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid == IID_IUnknown || riid == IID_IOleObject)
    *object = static_cast<IOleObject*>(this);
  else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject)
    *object = static_cast<IOleInPlaceObject*>(this);
  else if (riid == IID_IOleInPlaceActiveObject)
    *object = static_cast<IOleInPlaceActiveObject*>(this);
  else if (riid == IID_IOleControl)
    *object = static_cast<IOleControl*>(this);
  else if ((riid == IID_IPersistStreamInit || riid == IID_IPersist) && behaviour.persists)
    *object = static_cast<IPersistStreamInit*>(this);
  else if (riid == IID_IDispatch)
    *object = static_cast<IDispatch*>(this);
  else if (riid == IID_IViewObject)
    *object = static_cast<IViewObject*>(this);
  else if (riid == IID_IConnectionPointContainer && behaviour.hasPoints)
    *object = static_cast<IConnectionPointContainer*>(&points);
  if (!*object) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE TestControl::AddRef() { return ++references; }

ULONG STDMETHODCALLTYPE TestControl::Release() {
  const ULONG left = --references;
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE TestControl::SetClientSite(IOleClientSite* clientSite) {
  Log(clientSite ? "SetClientSite" : "SetClientSite(null)");
  site = ComPtr<IOleClientSite>(clientSite);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::GetClientSite(IOleClientSite** clientSite) {
  if (!clientSite) return E_POINTER;
  *clientSite = site.Get();
  if (*clientSite) (*clientSite)->AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::Close(DWORD saveOption) {
  Log("Close(" + std::to_string(saveOption) + ")");
  InPlaceDeactivate();
  return S_OK;
}

HRESULT TestControl::ActivateInPlace(IOleClientSite* activeSite, HWND parent, LPCRECT position) {
  if (inPlaceSite) return S_OK;
  if (!activeSite || FAILED(activeSite->QueryInterface(IID_IOleInPlaceSite, inPlaceSite.PutVoid())))
    return E_INVALIDARG;
  if (inPlaceSite->CanInPlaceActivate() != S_OK) return E_FAIL;
  if (!behaviour.activates) {
    inPlaceSite = nullptr;
    return S_OK;  // says nothing of it
  }
  inPlaceSite->OnInPlaceActivate();
  if (behaviour.makesWindow) {
    window = CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_VISIBLE, position->left, position->top,
                             position->right - position->left, position->bottom - position->top, parent, nullptr,
                             nullptr, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (QWidget* widget = win32::WidgetFromHandle(window)) widget->setFocusPolicy(Qt::StrongFocus);
  }
  IOleInPlaceFrame* frame = nullptr;
  IOleInPlaceUIWindow* document = nullptr;
  RECT pos, clip;
  OLEINPLACEFRAMEINFO info{};
  info.cb = sizeof info;
  if (SUCCEEDED(inPlaceSite->GetWindowContext(&frame, &document, &pos, &clip, &info))) {
    if (frame) frame->Release();
    if (document) document->Release();
  }
  activeSite->ShowObject();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND parent,
                                              LPCRECT position) {
  Log("DoVerb(" + std::to_string(verb) + ")");
  if (verb == OLEIVERB_INPLACEACTIVATE) return ActivateInPlace(activeSite, parent, position);
  if (verb == OLEIVERB_UIACTIVATE) {
    const HRESULT hr = ActivateInPlace(activeSite, parent, position);
    if (FAILED(hr) || !inPlaceSite) return hr;
    if (!uiActive) {
      uiActive = true;
      inPlaceSite->OnUIActivate();
    }
    return S_OK;
  }
  return OLEOBJ_S_INVALIDVERB;
}

HRESULT STDMETHODCALLTYPE TestControl::GetUserClassID(CLSID* classId) {
  if (!classId) return E_POINTER;
  *classId = CLSID_TestControl;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::SetExtent(DWORD, SIZEL* size) {
  if (!size) return E_POINTER;
  Log("SetExtent(" + std::to_string(size->cx) + "," + std::to_string(size->cy) + ")");
  if (behaviour.refusesExtent) return E_FAIL;
  behaviour.extent = *size;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::GetExtent(DWORD, SIZEL* size) {
  if (!size) return E_POINTER;
  *size = behaviour.extent;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = behaviour.miscStatus;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::GetWindow(HWND* result) {
  if (!result) return E_POINTER;
  *result = window;
  return window ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE TestControl::InPlaceDeactivate() {
  if (!inPlaceSite) return S_OK;
  UIDeactivate();
  if (window) {
    DestroyWindow(window);
    window = nullptr;
  }
  ComPtr<IOleInPlaceSite> leaving = std::move(inPlaceSite);
  leaving->OnInPlaceDeactivate();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::UIDeactivate() {
  Log("UIDeactivate");
  if (!uiActive || !inPlaceSite) return S_OK;
  uiActive = false;
  inPlaceSite->OnUIDeactivate(FALSE);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::SetObjectRects(LPCRECT position, LPCRECT) {
  if (!position) return E_POINTER;
  Log("SetObjectRects");
  if (window)
    MoveWindow(window, position->left, position->top, position->right - position->left,
               position->bottom - position->top, TRUE);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::TranslateAccelerator(LPMSG message) {
  if (!message) return E_POINTER;
  translated.push_back(*message);
  return message->message == WM_KEYDOWN && behaviour.translatedKey && message->wParam == behaviour.translatedKey
             ? S_OK
             : S_FALSE;
}

HRESULT STDMETHODCALLTYPE TestControl::OnDocWindowActivate(BOOL activate) {
  Log(activate ? "OnDocWindowActivate(1)" : "OnDocWindowActivate(0)");
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::GetControlInfo(CONTROLINFO* info) {
  if (!info || info->cb < sizeof(CONTROLINFO)) return E_INVALIDARG;
  if (!mnemonicTable && !behaviour.mnemonics.empty())
    mnemonicTable = CreateAcceleratorTableA(behaviour.mnemonics.data(), static_cast<int>(behaviour.mnemonics.size()));
  info->hAccel = mnemonicTable;
  info->cAccel = static_cast<USHORT>(behaviour.mnemonics.size());
  info->dwFlags = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::OnMnemonic(MSG* message) {
  if (!message) return E_POINTER;
  mnemonicMessages.push_back(*message);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::OnAmbientPropertyChange(DISPID id) {
  Log("OnAmbientPropertyChange(" + std::to_string(id) + ")");
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::GetClassID(CLSID* classId) { return GetUserClassID(classId); }

HRESULT STDMETHODCALLTYPE TestControl::Load(LPSTREAM stream) {
  Log("Load");
  if (!stream) return E_POINTER;
  char magic[2] = {};
  LONG number = 0;
  ULONG length = 0;
  ULONG read = 0;
  if (behaviour.refusesLoad || FAILED(stream->Read(magic, 2, &read)) || read != 2 || magic[0] != 'T' ||
      magic[1] != 'C' || !ReadValue(stream, number) || !ReadValue(stream, length) || length > 1 << 20)
    return kRefusedState;
  std::string text(length, '\0');
  if (length && (FAILED(stream->Read(text.data(), length, &read)) || read != length)) return kRefusedState;
  VARIANT value = Long(number);
  VariantCopy(&properties[kNumber], &value);
  VariantClear(&properties[kText]);
  properties[kText].vt = VT_BSTR;
  properties[kText].bstrVal = com::AllocBstr(text);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::Save(LPSTREAM stream, BOOL) {
  Log("Save");
  if (!stream) return E_POINTER;
  if (behaviour.refusesSave) return E_FAIL;
  const LONG number = properties[kNumber].lVal;
  const std::string text = properties[kText].vt == VT_BSTR ? com::BstrToUtf8(properties[kText].bstrVal) : "";
  const ULONG length = static_cast<ULONG>(text.size());
  stream->Write("TC", 2, nullptr);
  stream->Write(&number, sizeof number, nullptr);
  stream->Write(&length, sizeof length, nullptr);
  return stream->Write(text.data(), length, nullptr);
}

HRESULT STDMETHODCALLTYPE TestControl::InitNew() {
  Log("InitNew");
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                              VARIANT* result, EXCEPINFO* exception, UINT*) {
  if (!parameters) return E_POINTER;
  if (flags & DISPATCH_PROPERTYGET) {
    if (!result) return E_POINTER;
    if (id == kBusy) {
      if (exception) {
        *exception = EXCEPINFO{};
        exception->bstrSource = com::AllocBstr("TestControl");
        exception->bstrDescription = com::AllocBstr("The control is busy.");
        exception->scode = E_FAIL;
      }
      return DISP_E_EXCEPTION;
    }
    auto found = properties.find(id);
    if (found == properties.end()) return DISP_E_MEMBERNOTFOUND;
    return VariantCopy(result, &found->second);
  }
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    if (parameters->cArgs != 1 || parameters->cNamedArgs != 1 || parameters->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
      return DISP_E_BADPARAMCOUNT;
    if (id != kPicture && properties.find(id) == properties.end()) return DISP_E_MEMBERNOTFOUND;
    putFlags.push_back(flags);
    putTypes.push_back(parameters->rgvarg[0].vt);
    if (parameters->rgvarg[0].vt & VT_BYREF) return S_OK;  // taken note of, not kept
    SetProperty(id, parameters->rgvarg[0]);
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT STDMETHODCALLTYPE TestControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                                            LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (!bounds) return E_INVALIDARG;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  Log("Draw");
  HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(properties[DISPID_BACKCOLOR].lVal));
  const RECT rect{bounds->left, bounds->top, bounds->right, bounds->bottom};
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
  return S_OK;
}

LRESULT CALLBACK TestControl::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* control = reinterpret_cast<TestControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (control) control->windowMessages.push_back(message);
  if (message == WM_QUERYNEWPALETTE) return control && control->behaviour.realizesPalette ? kPaletteAnswer : 0;
  if (message == WM_NULL && control && control->behaviour.showsWindowWhenAttached) {
    ShowWindow(window, SW_SHOWNA);
    control->shownWhenAttached = true;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace test_control
