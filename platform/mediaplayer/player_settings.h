// The control's settings: every property that a host sets and reads back and that is saved with
// the control, with its type, default, valid range and stream form. Owned by the GUI thread.
#pragma once

#include <map>

#include "platform/com/stream.h"

namespace mediaplayer {

struct SettingInfo {
  DISPID id;
  VARTYPE type;  // VT_BOOL, VT_I4, VT_R8 or VT_BSTR
};

class PlayerSettings {
 public:
  PlayerSettings();

  // Null for an id that is no setting.
  static const SettingInfo* Find(DISPID id);
  // S_OK when the value (already of the setting's type) is in range, else E_INVALIDARG.
  static HRESULT Validate(DISPID id, const VARIANT& value);

  bool Bool(DISPID id) const;
  LONG Long(DISPID id) const;
  double Double(DISPID id) const;
  BSTR String(DISPID id) const;  // borrowed
  // A copy of the value into out (which the caller clears).
  void Get(DISPID id, VARIANT& out) const;
  // value must be of the setting's type and valid.
  void Set(DISPID id, const VARIANT& value);

  void ResetToDefaults();
  bool IsDirty() const { return dirty_; }
  // The stream form: a header, then one record per setting. Load replaces every setting it finds
  // only when the whole block reads and validates; unknown settings in it are skipped.
  HRESULT Save(IStream& stream, bool clearDirty);
  HRESULT Load(IStream& stream);
  ULONG SaveSize() const;

 private:
  std::map<DISPID, com::Variant> values_;
  bool dirty_ = false;
};

}  // namespace mediaplayer
