// IDispatch: every property and method of IMediaPlayer by its dispatch id, with the arguments
// coerced as automation does, and failures described in the exception information.
#include <cstring>
#include <vector>

#include "platform/dshow/dshow.h"
#include "platform/mediaplayer/error_texts.h"
#include "platform/mediaplayer/player_control.h"
#include "platform/mediaplayer/variant_coercion.h"
#include "platform/mediaplayer/variant_values.h"

namespace mediaplayer {
namespace {

enum class Access { kRead, kReadWrite, kMethod };

struct Member {
  const char* name;
  DISPID id;
  VARTYPE type;  // of the property, or of the method's one argument (VT_EMPTY: none)
  Access access;
};

const std::vector<Member>& Members() {
  static const std::vector<Member> members = [] {
    std::vector<Member> list{
        {"CurrentPosition", DISPID_MP_CURRENTPOSITION, VT_R8, Access::kReadWrite},
        {"Duration", DISPID_MP_DURATION, VT_R8, Access::kRead},
        {"ImageSourceWidth", DISPID_MP_IMAGESOURCEWIDTH, VT_I4, Access::kRead},
        {"ImageSourceHeight", DISPID_MP_IMAGESOURCEHEIGHT, VT_I4, Access::kRead},
        {"CanScan", DISPID_MP_CANSCAN, VT_BOOL, Access::kRead},
        {"CanSeek", DISPID_MP_CANSEEK, VT_BOOL, Access::kRead},
        {"FileName", DISPID_MP_FILENAME, VT_BSTR, Access::kReadWrite},
        {"OpenState", DISPID_MP_OPENSTATE, VT_I4, Access::kRead},
        {"PlayState", DISPID_MP_PLAYSTATE, VT_I4, Access::kRead},
        {"ReadyState", DISPID_MP_READYSTATE, VT_I4, Access::kRead},
        {"ErrorCode", DISPID_MP_ERRORCODE, VT_I4, Access::kRead},
        {"ErrorDescription", DISPID_MP_ERRORDESCRIPTION, VT_BSTR, Access::kRead},
        {"HasError", DISPID_MP_HASERROR, VT_BOOL, Access::kRead},
        {"SelectionStart", DISPID_MP_SELECTIONSTART, VT_R8, Access::kReadWrite},
        {"SelectionEnd", DISPID_MP_SELECTIONEND, VT_R8, Access::kReadWrite},
        {"AutoStart", DISPID_MP_AUTOSTART, VT_BOOL, Access::kReadWrite},
        {"AutoRewind", DISPID_MP_AUTOREWIND, VT_BOOL, Access::kReadWrite},
        {"PlayCount", DISPID_MP_PLAYCOUNT, VT_I4, Access::kReadWrite},
        {"Rate", DISPID_MP_RATE, VT_R8, Access::kReadWrite},
        {"Volume", DISPID_MP_VOLUME, VT_I4, Access::kReadWrite},
        {"Balance", DISPID_MP_BALANCE, VT_I4, Access::kReadWrite},
        {"Mute", DISPID_MP_MUTE, VT_BOOL, Access::kReadWrite},
        {"DisplayMode", DISPID_MP_DISPLAYMODE, VT_I4, Access::kReadWrite},
        {"DisplaySize", DISPID_MP_DISPLAYSIZE, VT_I4, Access::kReadWrite},
        {"AutoSize", DISPID_MP_AUTOSIZE, VT_BOOL, Access::kReadWrite},
        {"Play", DISPID_MP_PLAY, VT_EMPTY, Access::kMethod},
        {"Stop", DISPID_MP_STOP, VT_EMPTY, Access::kMethod},
        {"Pause", DISPID_MP_PAUSE, VT_EMPTY, Access::kMethod},
        {"Open", DISPID_MP_OPEN, VT_BSTR, Access::kMethod},
        {"Cancel", DISPID_MP_CANCEL, VT_EMPTY, Access::kMethod},
    };
#define MEDIAPLAYER_MEMBER(Type) \
  [&](const char* name, DISPID id) { list.push_back({name, id, Type, Access::kReadWrite}); }
    auto addBool = MEDIAPLAYER_MEMBER(VT_BOOL);
    auto addLong = MEDIAPLAYER_MEMBER(VT_I4);
    auto addString = MEDIAPLAYER_MEMBER(VT_BSTR);
#undef MEDIAPLAYER_MEMBER
#define MEDIAPLAYER_ADD_BOOL(Name, id) addBool(#Name, id);
#define MEDIAPLAYER_ADD_LONG(Name, id) addLong(#Name, id);
#define MEDIAPLAYER_ADD_STRING(Name, id) addString(#Name, id);
    MEDIAPLAYER_SETTING_BOOLS(MEDIAPLAYER_ADD_BOOL)
    MEDIAPLAYER_SETTING_LONGS(MEDIAPLAYER_ADD_LONG)
    MEDIAPLAYER_SETTING_STRINGS(MEDIAPLAYER_ADD_STRING)
#undef MEDIAPLAYER_ADD_STRING
#undef MEDIAPLAYER_ADD_LONG
#undef MEDIAPLAYER_ADD_BOOL
    return list;
  }();
  return members;
}

const Member* FindMember(DISPID id) {
  for (const Member& member : Members())
    if (member.id == id) return &member;
  return nullptr;
}

bool SameNameIgnoringCase(const std::u16string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i];
    char16_t y = static_cast<unsigned char>(b[i]);
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x + 32);
    if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y + 32);
    if (x != y) return false;
  }
  return true;
}

std::string FailureText(HRESULT hr) {
  switch (hr) {
    case E_INVALIDARG: return "The value is outside the range this property takes.";
    case VFW_E_WRONG_STATE: return "No media is open.";
    case E_ACCESSDENIED: return "The display size cannot be changed while AllowChangeDisplaySize is off.";
    default: return ErrorDescription(hr, "");
  }
}

HRESULT Raise(HRESULT hr, EXCEPINFO* exception) {
  if (!exception) return hr;
  *exception = EXCEPINFO{};
  exception->scode = hr;
  exception->bstrSource = com::AllocBstr("Windows Media Player");
  exception->bstrDescription = com::AllocBstr(FailureText(hr));
  return DISP_E_EXCEPTION;
}

}  // namespace

HRESULT STDMETHODCALLTYPE MediaPlayerControl::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo) {
  if (typeInfo) *typeInfo = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                                            DISPID* ids) {
  if (riid != GUID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!names || !ids) return E_POINTER;
  if (count == 0) return S_OK;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (!names[0]) return DISP_E_UNKNOWNNAME;
  const std::u16string name(names[0]);
  for (const Member& member : Members()) {
    if (SameNameIgnoringCase(name, member.name)) {
      ids[0] = member.id;
      return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;  // no method takes named arguments
    }
  }
  return DISP_E_UNKNOWNNAME;
}

HRESULT STDMETHODCALLTYPE MediaPlayerControl::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* parameters,
                                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  if (riid != GUID_NULL) return DISP_E_UNKNOWNINTERFACE;
  const Member* member = FindMember(id);
  if (!member) return DISP_E_MEMBERNOTFOUND;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  if (!parameters) parameters = &none;
  if (parameters->cArgs && !parameters->rgvarg) return E_INVALIDARG;
  ComPtr<IUnknown> keepAlive(Identity());  // a method may fire events whose handlers let go of the control

  if (member->access == Access::kMethod) {
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (parameters->cNamedArgs) return DISP_E_NONAMEDARGS;
    const UINT wanted = member->type == VT_EMPTY ? 0 : 1;
    if (parameters->cArgs != wanted) return DISP_E_BADPARAMCOUNT;
    if (result) VariantInit(result);
    HRESULT hr = S_OK;
    switch (id) {
      case DISPID_MP_PLAY: hr = Play(); break;
      case DISPID_MP_STOP: hr = Stop(); break;
      case DISPID_MP_PAUSE: hr = Pause(); break;
      case DISPID_MP_CANCEL: hr = Cancel(); break;
      default: {
        com::Variant name;
        hr = CoerceVariant(parameters->rgvarg[0], VT_BSTR, name.Get());
        if (FAILED(hr)) {
          if (argumentError) *argumentError = 0;
          return hr;
        }
        hr = Open(name->bstrVal);
        break;
      }
    }
    return FAILED(hr) ? Raise(hr, exception) : S_OK;
  }

  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    if (member->access != Access::kReadWrite) return DISP_E_MEMBERNOTFOUND;
    if (parameters->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    if (parameters->cNamedArgs != 1 || !parameters->rgdispidNamedArgs ||
        parameters->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
      return DISP_E_PARAMNOTOPTIONAL;
    com::Variant value;
    HRESULT hr = CoerceVariant(parameters->rgvarg[0], member->type, value.Get());
    if (FAILED(hr)) {
      if (argumentError) *argumentError = 0;
      return hr;
    }
    hr = PutById(id, value.Get());
    return FAILED(hr) ? Raise(hr, exception) : S_OK;
  }

  if (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) {
    if (parameters->cArgs) return DISP_E_BADPARAMCOUNT;
    com::Variant value;
    HRESULT hr = GetById(id, value.Get());
    if (FAILED(hr)) return Raise(hr, exception);
    if (result) {
      VariantInit(result);
      VariantCopy(result, &value.Get());
    }
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT MediaPlayerControl::GetById(DISPID id, VARIANT& value) {
  HRESULT hr = S_OK;
  switch (id) {
    case DISPID_MP_CURRENTPOSITION:
    case DISPID_MP_DURATION:
    case DISPID_MP_SELECTIONSTART:
    case DISPID_MP_SELECTIONEND: {
      double number = 0;
      hr = id == DISPID_MP_CURRENTPOSITION  ? get_CurrentPosition(&number)
           : id == DISPID_MP_DURATION       ? get_Duration(&number)
           : id == DISPID_MP_SELECTIONSTART ? get_SelectionStart(&number)
                                            : get_SelectionEnd(&number);
      value.vt = VT_R8;
      value.dblVal = number;
      return hr;
    }
    case DISPID_MP_IMAGESOURCEWIDTH:
    case DISPID_MP_IMAGESOURCEHEIGHT:
    case DISPID_MP_OPENSTATE:
    case DISPID_MP_PLAYSTATE:
    case DISPID_MP_READYSTATE:
    case DISPID_MP_ERRORCODE: {
      LONG number = 0;
      hr = id == DISPID_MP_IMAGESOURCEWIDTH    ? get_ImageSourceWidth(&number)
           : id == DISPID_MP_IMAGESOURCEHEIGHT ? get_ImageSourceHeight(&number)
           : id == DISPID_MP_OPENSTATE         ? get_OpenState(&number)
           : id == DISPID_MP_PLAYSTATE         ? get_PlayState(&number)
           : id == DISPID_MP_READYSTATE        ? get_ReadyState(&number)
                                               : get_ErrorCode(&number);
      value.vt = VT_I4;
      value.lVal = number;
      return hr;
    }
    case DISPID_MP_CANSCAN:
    case DISPID_MP_CANSEEK:
    case DISPID_MP_HASERROR: {
      VARIANT_BOOL flag = VARIANT_FALSE;
      hr = id == DISPID_MP_CANSCAN   ? get_CanScan(&flag)
           : id == DISPID_MP_CANSEEK ? get_CanSeek(&flag)
                                     : get_HasError(&flag);
      value.vt = VT_BOOL;
      value.boolVal = flag;
      return hr;
    }
    case DISPID_MP_FILENAME:
    case DISPID_MP_ERRORDESCRIPTION: {
      BSTR text = nullptr;
      hr = id == DISPID_MP_FILENAME ? get_FileName(&text) : get_ErrorDescription(&text);
      value.vt = VT_BSTR;
      value.bstrVal = text;
      return hr;
    }
    default: return GetSetting(id, &value);
  }
}

HRESULT MediaPlayerControl::PutById(DISPID id, const VARIANT& value) {
  switch (id) {
    case DISPID_MP_CURRENTPOSITION: return put_CurrentPosition(value.dblVal);
    case DISPID_MP_SELECTIONSTART: return put_SelectionStart(value.dblVal);
    case DISPID_MP_SELECTIONEND: return put_SelectionEnd(value.dblVal);
    case DISPID_MP_FILENAME: return put_FileName(value.bstrVal);
    default: return PutSetting(id, value);
  }
}

}  // namespace mediaplayer
