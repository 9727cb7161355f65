#include "framework/variants.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

const char* TypeName(VARTYPE type) {
  if (type & VT_ARRAY) return "Array";
  switch (type & VT_TYPEMASK) {
    case VT_EMPTY: return "Empty";
    case VT_NULL: return "Null";
    case VT_I2: return "Smallint";
    case VT_I4: return "Integer";
    case VT_R4: return "Single";
    case VT_R8: return "Double";
    case VT_CY: return "Currency";
    case VT_DATE: return "Date";
    case VT_BSTR: return "OleStr";
    case VT_DISPATCH: return "Dispatch";
    case VT_ERROR: return "Error";
    case VT_BOOL: return "Boolean";
    case VT_VARIANT: return "Variant";
    case VT_UNKNOWN: return "Unknown";
    default: return "Unknown";
  }
}

[[noreturn]] void CannotConvert(VARTYPE type, const char* target) {
  throw EVariantError(Format("Could not convert variant of type (%s) into type (%s)", TypeName(type), target));
}

// The value itself of a by-reference variant; variant references are followed.
VARIANT Dereferenced(const VARIANT& value) {
  VARIANT plain = value;
  for (int depth = 0; plain.vt & VT_BYREF; ++depth) {
    if (!plain.byref || depth > 8) CannotConvert(value.vt, "Integer");
    const VARTYPE type = plain.vt & ~VT_BYREF;
    if (type == VT_VARIANT) {
      plain = *plain.pvarVal;
      continue;
    }
    VARIANT target{};
    target.vt = type;
    switch (type) {
      case VT_I2: target.iVal = *plain.piVal; break;
      case VT_UI1: target.bVal = *plain.pbVal; break;
      case VT_I4:
      case VT_INT: target.lVal = *plain.plVal; break;
      case VT_UI4:
      case VT_UINT: target.ulVal = *static_cast<ULONG*>(plain.byref); break;
      case VT_R4: target.fltVal = *plain.pfltVal; break;
      case VT_R8:
      case VT_DATE: target.dblVal = *plain.pdblVal; break;
      case VT_CY: target.cyVal = *static_cast<CY*>(plain.byref); break;
      case VT_BOOL: target.boolVal = *plain.pboolVal; break;
      case VT_BSTR: target.bstrVal = *plain.pbstrVal; break;
      case VT_I8:
      case VT_UI8: target.llVal = *static_cast<LONGLONG*>(plain.byref); break;
      default: CannotConvert(value.vt, "Integer");
    }
    plain = target;
  }
  return plain;
}

int FromDouble(double number, VARTYPE type) {
  const double rounded = std::nearbyint(number);
  if (!(rounded >= std::numeric_limits<int>::min() && rounded <= std::numeric_limits<int>::max()))
    throw EVariantError(Format("Overflow while converting variant of type (%s) into type (Integer)", TypeName(type)));
  return static_cast<int>(rounded);
}

}  // namespace

void TVariant::ToOle(VARIANT& target) const {
  VariantClear(&target);
  if (!isString_) {
    VariantCopy(&target, &value_.Get());
    return;
  }
  target.vt = VT_BSTR;
  target.bstrVal = com::AllocBstr(text_);
}

int VarToInteger(const VARIANT& value) {
  const VARIANT plain = Dereferenced(value);
  switch (plain.vt) {
    case VT_EMPTY: return 0;
    case VT_I2: return plain.iVal;
    case VT_UI1: return plain.bVal;
    case VT_I1: return plain.cVal;
    case VT_UI2: return plain.uiVal;
    case VT_I4:
    case VT_INT: return plain.lVal;
    case VT_ERROR: return plain.scode;
    case VT_BOOL: return plain.boolVal ? -1 : 0;
    case VT_UI4:
    case VT_UINT:
      if (plain.ulVal > static_cast<ULONG>(std::numeric_limits<int>::max())) return FromDouble(plain.ulVal, plain.vt);
      return static_cast<int>(plain.ulVal);
    case VT_I8: return FromDouble(static_cast<double>(plain.llVal), plain.vt);
    case VT_UI8: return FromDouble(static_cast<double>(plain.ullVal), plain.vt);
    case VT_R4: return FromDouble(plain.fltVal, plain.vt);
    case VT_R8:
    case VT_DATE: return FromDouble(plain.dblVal, plain.vt);
    case VT_CY: return FromDouble(static_cast<double>(plain.cyVal.int64) / 10000.0, plain.vt);
    case VT_BSTR: {
      int number = 0;
      if (!TryStrToInt(Trim(com::BstrToUtf8(plain.bstrVal)), number)) CannotConvert(VT_BSTR, "Integer");
      return number;
    }
    default: CannotConvert(value.vt, "Integer");
  }
}

AnsiString VarToString(const VARIANT& value) {
  if ((value.vt & VT_ARRAY) || (value.vt & VT_TYPEMASK) == VT_DISPATCH || (value.vt & VT_TYPEMASK) == VT_UNKNOWN)
    CannotConvert(value.vt, "String");
  const VARIANT plain = Dereferenced(value);
  char buffer[64];
  switch (plain.vt) {
    case VT_EMPTY:
    case VT_NULL: return {};
    case VT_BSTR: return com::BstrToUtf8(plain.bstrVal);
    case VT_BOOL: return plain.boolVal ? "True" : "False";
    case VT_R4: std::snprintf(buffer, sizeof buffer, "%.7g", plain.fltVal); return buffer;
    case VT_R8:
    case VT_DATE: std::snprintf(buffer, sizeof buffer, "%.15g", plain.dblVal); return buffer;
    case VT_CY:
      std::snprintf(buffer, sizeof buffer, "%.4f", static_cast<double>(plain.cyVal.int64) / 10000.0);
      return buffer;
    case VT_I8: return IntToStr(plain.llVal);
    case VT_UI8:
      std::snprintf(buffer, sizeof buffer, "%llu", static_cast<unsigned long long>(plain.ullVal));
      return buffer;
    default: return IntToStr(VarToInteger(plain));
  }
}
