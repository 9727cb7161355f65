// Framework variants and their conversions: what the framework's own code holds in a variant (an
// OLE VARIANT, or an 8-bit string), and the values of variants as integers and 8-bit strings.
#pragma once

#include "framework/sysutils.h"
#include "platform/com/automation.h"

// "Could not convert variant of type (%s) into type (%s)", and values out of range.
class EVariantError : public Exception {
 public:
  using Exception::Exception;
};

// The type of a framework variant that holds an 8-bit string.
constexpr VARTYPE varString = 0x0100;

class TVariant {
 public:
  TVariant() = default;
  explicit TVariant(const AnsiString& text) : text_(text), isString_(true) {}
  explicit TVariant(const VARIANT& value) { VariantCopy(value_.Ptr(), &value); }
  VARTYPE Type() const { return isString_ ? varString : value_->vt; }
  const AnsiString& Text() const { return text_; }
  const VARIANT& Ole() const { return value_.Get(); }
  // An OLE-compatible copy into target (cleared first): an 8-bit string becomes a new BSTR.
  void ToOle(VARIANT& target) const;

 private:
  com::Variant value_;
  AnsiString text_;
  bool isString_ = false;
};

// Numbers (rounded, halves to even), booleans (true is -1), empty (0) and numeric strings; by
// reference as well. EVariantError for anything else and for values outside 32 bits.
int VarToInteger(const VARIANT& value);
// Empty and null give ""; numbers in decimal, booleans "True" and "False", strings as UTF-8.
// EVariantError for interfaces and arrays.
AnsiString VarToString(const VARIANT& value);
