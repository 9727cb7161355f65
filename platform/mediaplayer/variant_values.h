// Owned VARIANTs of the four types the control speaks: integers, doubles, booleans, strings.
#pragma once

#include <string>

#include "platform/com/automation.h"

namespace mediaplayer {

inline com::Variant LongValue(LONG value) {
  com::Variant v;
  v->vt = VT_I4;
  v->lVal = value;
  return v;
}

inline com::Variant DoubleValue(double value) {
  com::Variant v;
  v->vt = VT_R8;
  v->dblVal = value;
  return v;
}

inline com::Variant BoolValue(bool value) {
  com::Variant v;
  v->vt = VT_BOOL;
  v->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

// A BSTR's text; a null BSTR is the empty string.
inline std::u16string BstrText(BSTR text) { return text ? std::u16string(text, SysStringLen(text)) : std::u16string(); }

inline com::Variant StringValue(const std::u16string& text) {
  com::Variant v;
  v->vt = VT_BSTR;
  v->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return v;
}

}  // namespace mediaplayer
