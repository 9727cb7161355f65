#include "activex/event_slots.h"

#include <algorithm>

#include "activex/ole_control.h"

namespace event_arguments {

Payload PayloadOf(VARTYPE type, bool legacy) {
  const VARTYPE base = type & VT_TYPEMASK;
  if (legacy && base == VT_BSTR && !(type & VT_ARRAY)) return Payload::String;
  if (type == VT_R4) return Payload::Float32;
  if (type == VT_R8 || type == VT_CY || type == VT_DATE) return Payload::Value64;
  if (type & VT_ARRAY) return Payload::Element;
  if (legacy && type == VT_DISPATCH) return Payload::Element;
  if ((type & VT_BYREF) || type == VT_BSTR || type == VT_DISPATCH || type == VT_UNKNOWN) return Payload::Pointer;
  return Payload::Scalar32;
}

void Mismatch(DISPID id, int position, VARTYPE type) {
  throw EOleError(Format("The handler of the control's event %d cannot take its argument %d (of type %u)",
                         static_cast<int>(id), position, static_cast<unsigned>(type)));
}

void CountMismatch(DISPID id, UINT arguments, std::size_t parameters) {
  throw EOleError(Format("The control's event %d has %u arguments where its handler takes %u", static_cast<int>(id),
                         arguments, static_cast<unsigned>(parameters)));
}

AnsiString StringOf(const VARIANT& element) {
  if (element.vt & VT_BYREF) return element.pbstrVal ? com::BstrToUtf8(*element.pbstrVal) : AnsiString();
  return com::BstrToUtf8(element.bstrVal);
}

void WriteBackString(BSTR* place, const AnsiString& text) {
  BSTR replacement = com::AllocBstr(text);
  if (!replacement) throw EOutOfMemory();
  SysFreeString(*place);  // an in-out string's old value is the callee's to free
  *place = replacement;
}

}  // namespace event_arguments

TEventSlots::TEventSlots(TOleControl2& host, std::initializer_list<TEventSlot*> entries)
    : host_(host), slots_(entries) {
  host_.eventTables_.push_back(this);
}

TEventSlots::~TEventSlots() {
  auto& tables = host_.eventTables_;
  tables.erase(std::remove(tables.begin(), tables.end(), this), tables.end());
}

TEventSlot* TEventSlots::Slot(int index) const {
  return index >= 0 && index < Count() ? slots_[static_cast<std::size_t>(index)] : nullptr;
}
