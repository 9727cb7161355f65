#include "platform/mediaplayer/variant_coercion.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace mediaplayer {
namespace {

// A VARIANT reduced to what the conversions need.
struct Scalar {
  enum Kind { kNone, kNumber, kBool, kText } kind = kNone;
  double number = 0;
  std::string text;
};

bool SameWordIgnoringCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return i == a.size() && !b[i];
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

HRESULT Reduce(const VARIANT& v, Scalar& out) {
  const VARTYPE type = v.vt & VT_TYPEMASK;
  const bool byRef = (v.vt & VT_BYREF) != 0;
  if (v.vt & VT_ARRAY) return DISP_E_TYPEMISMATCH;
  if (byRef && !v.byref) return E_POINTER;
  switch (type) {
    case VT_EMPTY:
      out.kind = Scalar::kNumber;
      out.number = 0;
      return S_OK;
    case VT_VARIANT:
      if (!byRef) return DISP_E_BADVARTYPE;
      return Reduce(*v.pvarVal, out);
    case VT_BOOL:
      out.kind = Scalar::kBool;
      out.number = (byRef ? *v.pboolVal : v.boolVal) ? -1 : 0;
      return S_OK;
    case VT_BSTR:
      out.kind = Scalar::kText;
      out.text = com::BstrToUtf8(byRef ? *v.pbstrVal : v.bstrVal);
      return S_OK;
    default: break;
  }
  out.kind = Scalar::kNumber;
  switch (type) {
    case VT_I1:
      out.number = byRef ? *static_cast<const signed char*>(v.byref) : static_cast<signed char>(v.cVal);
      break;
    case VT_UI1: out.number = byRef ? *v.pbVal : v.bVal; break;
    case VT_I2: out.number = byRef ? *v.piVal : v.iVal; break;
    case VT_UI2: out.number = byRef ? *static_cast<const USHORT*>(v.byref) : v.uiVal; break;
    case VT_I4:
    case VT_INT: out.number = byRef ? *v.plVal : v.lVal; break;
    case VT_UI4:
    case VT_UINT: out.number = byRef ? *static_cast<const ULONG*>(v.byref) : v.ulVal; break;
    case VT_I8: out.number = static_cast<double>(byRef ? *static_cast<const LONGLONG*>(v.byref) : v.llVal); break;
    case VT_UI8: out.number = static_cast<double>(byRef ? *static_cast<const ULONGLONG*>(v.byref) : v.ullVal); break;
    case VT_R4: out.number = byRef ? *v.pfltVal : v.fltVal; break;
    case VT_R8:
    case VT_DATE: out.number = byRef ? *v.pdblVal : v.dblVal; break;
    case VT_CY:
      out.number = static_cast<double>((byRef ? *static_cast<const CY*>(v.byref) : v.cyVal).int64) / 10000.0;
      break;
    default: return DISP_E_TYPEMISMATCH;
  }
  return S_OK;
}

// A number from text as automation reads it: a decimal number, or the words True and False.
HRESULT TextToNumber(const std::string& text, double& number) {
  const std::string word = Trimmed(text);
  if (SameWordIgnoringCase(word, "true")) {
    number = -1;
    return S_OK;
  }
  if (SameWordIgnoringCase(word, "false")) {
    number = 0;
    return S_OK;
  }
  if (word.empty()) return DISP_E_TYPEMISMATCH;
  errno = 0;
  char* end = nullptr;
  number = std::strtod(word.c_str(), &end);
  if (end != word.c_str() + word.size() || !std::isfinite(number)) return DISP_E_TYPEMISMATCH;
  if (errno == ERANGE) return DISP_E_OVERFLOW;
  return S_OK;
}

std::string NumberText(double number) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", number);  // the precision automation writes doubles with
  return text;
}

}  // namespace

HRESULT CoerceVariant(const VARIANT& source, VARTYPE type, VARIANT& target) {
  Scalar value;
  if (HRESULT hr = Reduce(source, value); FAILED(hr)) return hr;
  if (type == VT_BSTR) {
    std::string text = value.kind == Scalar::kText   ? value.text
                       : value.kind == Scalar::kBool ? (value.number ? "True" : "False")
                                                     : NumberText(value.number);
    target.vt = VT_BSTR;
    target.bstrVal = com::AllocBstr(text);
    return S_OK;
  }
  double number = value.number;
  if (value.kind == Scalar::kText)
    if (HRESULT hr = TextToNumber(value.text, number); FAILED(hr)) return hr;
  switch (type) {
    case VT_BOOL:
      target.vt = VT_BOOL;
      target.boolVal = number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    case VT_R8:
      target.vt = VT_R8;
      target.dblVal = number;
      return S_OK;
    case VT_I4: {
      const double rounded = std::nearbyint(number);  // the default rounding: halves to even
      if (!(rounded >= std::numeric_limits<LONG>::min() && rounded <= std::numeric_limits<LONG>::max()))
        return DISP_E_OVERFLOW;
      target.vt = VT_I4;
      target.lVal = static_cast<LONG>(rounded);
      return S_OK;
    }
    default: return DISP_E_BADVARTYPE;
  }
}

}  // namespace mediaplayer
