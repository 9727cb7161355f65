// VARIANTs of one value, for the host's tests and their control.
#pragma once

#include "platform/com/automation.h"

namespace test_values {

inline VARIANT Of(VARTYPE type) {
  VARIANT v;
  VariantInit(&v);
  v.vt = type;
  return v;
}
inline VARIANT Long(LONG value) {
  VARIANT v = Of(VT_I4);
  v.lVal = value;
  return v;
}
inline VARIANT Double(double value) {
  VARIANT v = Of(VT_R8);
  v.dblVal = value;
  return v;
}
inline VARIANT Boolean(bool value) {
  VARIANT v = Of(VT_BOOL);
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}
// A new BSTR that the caller frees.
inline VARIANT Text(const char* text) {
  VARIANT v = Of(VT_BSTR);
  v.bstrVal = com::AllocBstr(text);
  return v;
}

}  // namespace test_values
