// Automation: BSTR (16-bit characters, length-prefixed), VARIANT, DISPPARAMS, EXCEPINFO and
// IDispatch, with the Windows SDK's layouts, type codes and dispatch flags.
#pragma once

#include <cstdint>
#include <string>

#include "platform/com/unknown.h"

using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
// Points at the first character; the 32-bit byte length sits just before it, a 0 character after.
using BSTR = OLECHAR*;
using LCID = DWORD;
using DISPID = LONG;
using MEMBERID = DISPID;
using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
using FLOAT = float;
using DOUBLE = double;
using DATE = double;
union CY {
  struct {
    ULONG Lo;
    LONG Hi;
  } s;
  LONGLONG int64;
};
struct SAFEARRAY;
struct ITypeInfo;
struct IDispatch;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0x0FFF,
};

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    LONG lVal;
    BYTE bVal;
    SHORT iVal;
    FLOAT fltVal;
    DOUBLE dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    CY cyVal;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
    BYTE* pbVal;
    SHORT* piVal;
    LONG* plVal;
    FLOAT* pfltVal;
    DOUBLE* pdblVal;
    VARIANT_BOOL* pboolVal;
    SCODE* pscode;
    BSTR* pbstrVal;
    IUnknown** ppunkVal;
    IDispatch** ppdispVal;
    VARIANT* pvarVal;
    void* byref;
    char cVal;
    USHORT uiVal;
    ULONG ulVal;
    ULONGLONG ullVal;
    INT intVal;
    UINT uintVal;
    struct {
      void* pvRecord;
      void* pRecInfo;
    } brecVal;
  };
};
using VARIANTARG = VARIANT;
using LPVARIANT = VARIANT*;

struct DISPPARAMS {
  VARIANTARG* rgvarg;  // the last argument first
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
};

struct EXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  DWORD dwHelpContext;
  void* pvReserved;
  HRESULT(STDMETHODCALLTYPE* pfnDeferredFillIn)(EXCEPINFO*);
  SCODE scode;
};

// Invoke flags.
constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

// Special dispatch ids.
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;

inline constexpr IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IDispatch : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                                  DISPID* ids) = 0;
  virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                           VARIANT* result, EXCEPINFO* exception, UINT* argumentError) = 0;
};
COM_INTERFACE_ID(IDispatch, IID_IDispatch);

// BSTR functions. A null BSTR is a valid empty string everywhere.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text,
                       UINT length);  // text may be null: length uninitialised characters (zeroed here)
BSTR SysAllocStringByteLen(const char* bytes, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);      // characters
UINT SysStringByteLen(BSTR text);  // bytes

// VARIANT functions.
void VariantInit(VARIANTARG* variant);
// Frees a BSTR, releases an interface; by-reference content is not touched. Leaves VT_EMPTY.
HRESULT VariantClear(VARIANTARG* variant);
// Clears the target, then copies: a new BSTR, an added reference. Arrays are not supported (DISP_E_BADVARTYPE).
HRESULT VariantCopy(VARIANTARG* target, const VARIANTARG* source);

namespace com {
// UTF-8 to and from 16-bit characters: the platform's code page is UTF-8.
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);
// A new BSTR of the 8-bit text (null for empty text is not used: an empty BSTR is allocated).
BSTR AllocBstr(const std::string& text);
std::string BstrToUtf8(BSTR text);

// Owns one BSTR.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::string& text) : text_(AllocBstr(text)) {}
  explicit Bstr(const std::u16string& text) : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : text_(other.Detach()) {}
  Bstr& operator=(Bstr&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }
  ~Bstr() { SysFreeString(text_); }
  static Bstr Attach(BSTR owned) {
    Bstr result;
    result.text_ = owned;
    return result;
  }
  BSTR Get() const { return text_; }
  BSTR Detach() {
    BSTR text = text_;
    text_ = nullptr;
    return text;
  }
  void Reset(BSTR owned = nullptr) {
    SysFreeString(text_);
    text_ = owned;
  }
  BSTR* Put() {
    Reset();
    return &text_;
  }
  std::string Utf8() const { return BstrToUtf8(text_); }

 private:
  BSTR text_ = nullptr;
};

// Owns one VARIANT: initialised empty, cleared when it goes.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  Variant(const Variant& other) : Variant() { VariantCopy(&value_, &other.value_); }
  Variant& operator=(const Variant& other) {
    if (this != &other) VariantCopy(&value_, &other.value_);
    return *this;
  }
  ~Variant() { VariantClear(&value_); }
  VARIANT* Ptr() { return &value_; }
  VARIANT& Get() { return value_; }
  const VARIANT& Get() const { return value_; }
  VARIANT* operator->() { return &value_; }
  const VARIANT* operator->() const { return &value_; }

 private:
  VARIANT value_;
};
}  // namespace com
