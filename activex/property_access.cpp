// The control's properties by dispatch id, and the conversions between framework fonts and OLE fonts.
#include <cmath>

#include "activex/ole_control.h"
#include "framework/ole_graphics.h"

namespace {

// The EXCEPINFO strings go in every case, whoever filled them.
class ExceptionInfo {
 public:
  ExceptionInfo() = default;
  ~ExceptionInfo() {
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
  }
  ExceptionInfo(const ExceptionInfo&) = delete;
  ExceptionInfo& operator=(const ExceptionInfo&) = delete;
  EXCEPINFO info{};
};

}  // namespace

void TOleControl2::Invoke(DISPID id, WORD flags, DISPPARAMS& parameters, VARIANT* result) {
  ConnectObject();
  ExceptionInfo exception;
  const HRESULT hr = controlDispatch_->Invoke(id, GUID_NULL, 0, flags, &parameters, result, &exception.info, nullptr);
  if (hr == S_OK) return;
  if (hr == DISP_E_EXCEPTION) throw TakeOleException(exception.info);
  throw EOleSysError(hr);
}

com::Variant TOleControl2::GetControlDispatch() {
  ConnectObject();
  ComPtr<IDispatch> dispatch = oleObject_.As<IDispatch>();
  if (!dispatch) throw EIntfCastError();
  com::Variant value;
  value->vt = VT_DISPATCH;
  value->pdispVal = dispatch.Detach();
  return value;
}

void TOleControl2::GetPropertyValue(DISPID id, VARIANT& value) {
  ConnectObject();
  VariantClear(&value);  // whatever it held would leak otherwise
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  Invoke(id, DISPATCH_PROPERTYGET, none, &value);
}

void TOleControl2::GetVariantProperty(DISPID id, VARIANT& value) {
  VariantClear(&value);
  GetPropertyValue(id, value);
}

int TOleControl2::GetIntegerProperty(DISPID id) {
  com::Variant value;
  GetPropertyValue(id, *value.Ptr());
  return value->lVal;
}

VARIANT_BOOL TOleControl2::GetBoolProperty(DISPID id) {
  com::Variant value;
  GetPropertyValue(id, *value.Ptr());
  return value->boolVal;
}

AnsiString TOleControl2::GetStringProperty(DISPID id) {
  com::Variant value;
  GetVariantProperty(id, *value.Ptr());
  return VarToString(value.Get());
}

void TOleControl2::SetPropertyValue(DISPID id, const VARIANT& value) {
  ConnectObject();
  VARIANT argument = value;  // lent for the call, not owned
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{&argument, &named, 1, 1};
  Invoke(id, value.vt == VT_DISPATCH ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT, parameters, nullptr);
}

void TOleControl2::SetOleVariantProperty(DISPID id, const VARIANT& value) { SetPropertyValue(id, value); }

void TOleControl2::SetVariantProperty(DISPID id, const TVariant& value) {
  com::Variant ole;
  value.ToOle(*ole.Ptr());
  SetPropertyValue(id, ole.Get());
}

void TOleControl2::SetIntegerProperty(DISPID id, int value) {
  VARIANT variant;
  VariantInit(&variant);
  variant.vt = VT_I4;
  variant.lVal = value;
  SetPropertyValue(id, variant);
}

void TOleControl2::SetBoolProperty(DISPID id, bool value) {
  VARIANT variant;
  VariantInit(&variant);
  variant.vt = VT_BOOL;
  variant.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  SetPropertyValue(id, variant);
}

void TOleControl2::SetStringProperty(DISPID id, const AnsiString& value) {
  com::Variant variant;
  StringToBstrVariant(value, *variant.Ptr());
  SetPropertyValue(id, variant.Get());
}

void TOleControl2::SetPictureDispProperty(DISPID id, IPictureDisp* picture) {
  VARIANT variant;
  VariantInit(&variant);
  variant.vt = VT_DISPATCH;
  variant.pdispVal = picture;
  SetPropertyValue(id, variant);
}

void TOleControl2::SetPictureProperty(DISPID id, const TPicture& picture) {
  if (pictureGuard_ || !descriptor_->PictureIds) return;
  pictureGuard_ = true;
  try {
    for (std::size_t i = 0; i < pictures_.size(); ++i) {
      if (descriptor_->PictureIds[i] != id) continue;
      pictures_[i]->Assign(picture);
      ComPtr<IPictureDisp> ole = GetOlePicture(*pictures_[i]);
      SetPictureDispProperty(id, ole.Get());
    }
  } catch (...) {
    pictureGuard_ = false;
    throw;
  }
  pictureGuard_ = false;
}

void FontToOleVariant(const TFont& font, VARIANT& value) {
  VariantClear(&value);
  value.vt = VT_DISPATCH;
  value.pdispVal = GetOleFont(font).Detach();
}

void OleVariantToFont(const VARIANT& value, TFont& font) {
  IUnknown* object = nullptr;
  if (value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN)
    object = value.punkVal;
  else if ((value.vt == (VT_DISPATCH | VT_BYREF) || value.vt == (VT_UNKNOWN | VT_BYREF)) && value.ppunkVal)
    object = *value.ppunkVal;
  ComPtr<IFontDisp> ole;
  if (!object || FAILED(object->QueryInterface(IID_IFontDisp, ole.PutVoid())) || !ole) throw EIntfCastError();
  const auto read = [&](DISPID id, com::Variant& into) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    OleCheck(ole->Invoke(id, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none, into.Ptr(), nullptr, nullptr));
  };
  com::Variant name, size, bold, italic, underline, strike, charset;
  read(DISPID_FONT_NAME, name);
  read(DISPID_FONT_SIZE, size);
  read(DISPID_FONT_BOLD, bold);
  read(DISPID_FONT_ITALIC, italic);
  read(DISPID_FONT_UNDER, underline);
  read(DISPID_FONT_STRIKE, strike);
  read(DISPID_FONT_CHARSET, charset);
  TFont copied = font;  // the colour is no part of an OLE font
  copied.Name = VarToString(name.Get());
  copied.SetSize(size->vt == VT_CY ? static_cast<int>(std::nearbyint(static_cast<double>(size->cyVal.int64) / 10000.0))
                                   : VarToInteger(size.Get()));
  const auto on = [](const com::Variant& flag) { return VarToInteger(flag.Get()) != 0; };
  copied.Style = (on(bold) ? static_cast<int>(TFontStyle::fsBold) : 0) |
                 (on(italic) ? static_cast<int>(TFontStyle::fsItalic) : 0) |
                 (on(underline) ? static_cast<int>(TFontStyle::fsUnderline) : 0) |
                 (on(strike) ? static_cast<int>(TFontStyle::fsStrikeOut) : 0);
  copied.Charset = VarToInteger(charset.Get());
  font = copied;
}

void StringToBstrVariant(const AnsiString& text, VARIANT& value) {
  VariantClear(&value);
  value.vt = VT_BSTR;
  value.bstrVal = com::AllocBstr(text);
}
