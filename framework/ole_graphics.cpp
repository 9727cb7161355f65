#include "framework/ole_graphics.h"

#include "platform/com/object.h"

namespace {

// A read-only dispatch object answering PROPERTYGET for its dispatch ids.
template <class Interface>
class PropertyObject
    : public com::Object<com::WithoutTypeInfo<Interface>, IID_IDispatch, InterfaceId<Interface>::value> {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    VariantInit(result);
    return Get(id, *result) ? S_OK : DISP_E_MEMBERNOTFOUND;
  }

 protected:
  virtual bool Get(DISPID id, VARIANT& result) const = 0;
};

void SetBool(VARIANT& result, bool value) {
  result.vt = VT_BOOL;
  result.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

class OleFont final : public PropertyObject<IFontDisp> {
 public:
  explicit OleFont(const TFont& font) : font_(font) {}

 private:
  bool Get(DISPID id, VARIANT& result) const override {
    const auto style = [this](TFontStyle s) { return (font_.Style & static_cast<int>(s)) != 0; };
    switch (id) {
      case DISPID_FONT_NAME:
        result.vt = VT_BSTR;
        result.bstrVal = com::AllocBstr(font_.Name);
        return true;
      case DISPID_FONT_SIZE:
        result.vt = VT_CY;
        result.cyVal.int64 = static_cast<LONGLONG>(font_.Size()) * 10000;
        return true;
      case DISPID_FONT_BOLD: SetBool(result, style(TFontStyle::fsBold)); return true;
      case DISPID_FONT_ITALIC: SetBool(result, style(TFontStyle::fsItalic)); return true;
      case DISPID_FONT_UNDER: SetBool(result, style(TFontStyle::fsUnderline)); return true;
      case DISPID_FONT_STRIKE: SetBool(result, style(TFontStyle::fsStrikeOut)); return true;
      case DISPID_FONT_WEIGHT:
        result.vt = VT_I2;
        result.iVal = style(TFontStyle::fsBold) ? 700 : 400;
        return true;
      case DISPID_FONT_CHARSET:
        result.vt = VT_I2;
        result.iVal = static_cast<SHORT>(font_.Charset);
        return true;
      default: return false;
    }
  }

  const TFont font_;
};

class OlePicture final : public PropertyObject<IPictureDisp> {
 public:
  explicit OlePicture(const TPicture& picture) : bitmap_(picture.Bitmap()) {}

 private:
  // HIMETRIC at the framework's 96 pixels per inch.
  static LONG Himetric(int pixels) { return static_cast<LONG>((pixels * 2540LL + 48) / 96); }

  bool Get(DISPID id, VARIANT& result) const override {
    switch (id) {
      case DISPID_PICT_TYPE:
        result.vt = VT_I2;
        result.iVal = bitmap_.Empty() ? PICTYPE_NONE : PICTYPE_BITMAP;
        return true;
      case DISPID_PICT_WIDTH:
        result.vt = VT_I4;
        result.lVal = Himetric(bitmap_.Width());
        return true;
      case DISPID_PICT_HEIGHT:
        result.vt = VT_I4;
        result.lVal = Himetric(bitmap_.Height());
        return true;
      default: return false;
    }
  }

  const TBitmap bitmap_;
};

}  // namespace

ComPtr<IFontDisp> GetOleFont(const TFont& font) { return ComPtr<IFontDisp>::Attach(new OleFont(font)); }

ComPtr<IPictureDisp> GetOlePicture(TPicture& picture) {
  picture.SetOleLinked();
  return ComPtr<IPictureDisp>::Attach(new OlePicture(picture));
}
