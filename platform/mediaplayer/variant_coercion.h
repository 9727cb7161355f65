// Coercion of automation arguments to the type a property takes, as automation does it: numbers
// convert among themselves (rounding to even for integers, failing on overflow), booleans are
// -1 and 0 (any non-zero number is true), strings convert to and from numbers and "True"/"False",
// by-reference and variant-in-variant arguments are followed.
#pragma once

#include "platform/com/automation.h"

namespace mediaplayer {

// Fills target (which the caller clears) with source as type VT_BOOL, VT_I4, VT_R8 or VT_BSTR.
// DISP_E_TYPEMISMATCH when the value has no such form, DISP_E_OVERFLOW when it does not fit.
HRESULT CoerceVariant(const VARIANT& source, VARTYPE type, VARIANT& target);

}  // namespace mediaplayer
