// The control's events: the stock mouse, key and click events as the host's own input events, and
// every other to the descendant's handler slot for its dispatch id.
#include <cstdint>
#include <cstring>

#include "activex/ole_control.h"
#include "framework/exception_report.h"

namespace {

// Indexed by a 3-bit mask. Shift mask: 1 Shift, 2 Ctrl, 4 Alt; button mask: 1 left, 2 right, 4 middle.
constexpr TShiftState kShiftTable[8] = {0,     ssShift,         ssCtrl,         ssShift | ssCtrl,
                                        ssAlt, ssShift | ssAlt, ssCtrl | ssAlt, ssShift | ssCtrl | ssAlt};
constexpr TShiftState kButtonFlagTable[8] = {
    0, ssLeft, ssRight, ssLeft | ssRight, ssMiddle, ssLeft | ssMiddle, ssRight | ssMiddle, ssLeft | ssRight | ssMiddle};
constexpr TMouseButton kButtonTable[8] = {TMouseButton::mbLeft,  TMouseButton::mbLeft,   TMouseButton::mbRight,
                                          TMouseButton::mbLeft,  TMouseButton::mbMiddle, TMouseButton::mbLeft,
                                          TMouseButton::mbRight, TMouseButton::mbLeft};

// The legacy event form passes at most this many arguments (and so at most this many strings).
constexpr UINT kLegacyArgumentLimit = 32;

// Writes a changed key back into the control's by-reference argument, never more bytes than its
// variable has: bytes is how many the event gives back.
void WriteBack(VARIANT& element, unsigned value, std::size_t bytes) {
  if (!(element.vt & VT_BYREF) || !element.byref) return;
  VARTYPE type = element.vt & ~VT_BYREF;
  void* place = element.byref;
  if (type == VT_VARIANT) {  // a variant by reference holding the value itself
    VARIANT* inner = element.pvarVal;
    if (inner->vt & (VT_BYREF | VT_ARRAY)) return;
    type = inner->vt;
    place = &inner->llVal;
  }
  std::size_t size = 0;
  switch (type) {
    case VT_I1:
    case VT_UI1: size = 1; break;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL: size = 2; break;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR: size = 4; break;
    default: return;  // not a number: nothing to write into
  }
  const std::size_t n = bytes < size ? bytes : size;
  std::memcpy(place, &value, n);  // little-endian: the low bytes
}

}  // namespace

void TOleControl2::DispatchStockEvent(DISPID id, DISPPARAMS& parameters) {
  try {
    VARIANT* arguments = parameters.rgvarg;  // element 0 is the last argument
    const UINT count = parameters.cArgs;
    switch (id) {
      case DISPID_CLICK: Click(); break;
      case DISPID_DBLCLICK: DblClick(); break;
      case DISPID_KEYDOWN:
      case DISPID_KEYUP: {
        if (count < 2) break;
        WORD key = static_cast<WORD>(VarToInteger(arguments[1]));
        const TShiftState shift = kShiftTable[VarToInteger(arguments[0]) & 7];
        if (id == DISPID_KEYDOWN)
          KeyDown(key, shift);
        else
          KeyUp(key, shift);
        WriteBack(arguments[1], key, sizeof key);
        break;
      }
      case DISPID_KEYPRESS: {
        if (count < 1) break;
        char key = static_cast<char>(VarToInteger(arguments[0]) & 0xFF);
        KeyPress(key);
        WriteBack(arguments[0], static_cast<unsigned char>(key), 1);  // the other byte stays
        break;
      }
      case DISPID_MOUSEDOWN:
      case DISPID_MOUSEMOVE:
      case DISPID_MOUSEUP: {
        if (count < 4) break;
        const int buttons = VarToInteger(arguments[3]) & 7;
        const TMouseButton button = kButtonTable[buttons];
        const TShiftState shift = kShiftTable[VarToInteger(arguments[2]) & 7] | kButtonFlagTable[buttons];
        const int x = VarToInteger(arguments[1]);
        const int y = VarToInteger(arguments[0]);
        if (id == DISPID_MOUSEDOWN)
          MouseDown(button, shift, x, y);
        else if (id == DISPID_MOUSEMOVE)
          MouseMove(shift, x, y);
        else
          MouseUp(button, shift, x, y);
        break;
      }
      default: break;
    }
  } catch (...) {
    ReportException(this);
  }
}

void TOleControl2::DispatchEvent(DISPID id, DISPPARAMS& parameters) {
  try {
    TEventSlot* slot = FindEventHandler(id);
    if (!slot || !slot->Assigned()) return;
    const bool legacy = descriptor_->DescriptorVersion < DirectEventsVersion;
    if (legacy && parameters.cArgs > kLegacyArgumentLimit)
      throw EOleError(Format("The control's event %d has %u arguments; at most %u can be passed to its handler",
                             static_cast<int>(id), parameters.cArgs, kLegacyArgumentLimit));
    slot->Call(this, id, parameters, legacy);
  } catch (...) {
    ReportException(this);
  }
}

std::uint32_t TOleControl2::EventTableOffsetOf(const TEventSlots& table) const {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&table) - reinterpret_cast<std::uintptr_t>(this));
}

const TEventSlots* TOleControl2::EventTable() const {
  if (!descriptor_ || eventTables_.empty()) return nullptr;
  if (descriptor_->DescriptorVersion >= EventTableVersion && descriptor_->EventTableOffset != 0) {
    // Only a table that is there: an offset that names none finds no handlers.
    for (const TEventSlots* table : eventTables_)
      if (EventTableOffsetOf(*table) == descriptor_->EventTableOffset) return table;
    return nullptr;
  }
  return eventTables_.front();
}

TEventSlot* TOleControl2::FindEventHandler(DISPID id) const {
  const TEventSlots* table = EventTable();
  if (!table || !descriptor_->EventIds) return nullptr;
  for (int i = 0; i < descriptor_->EventIdCount; ++i)
    if (descriptor_->EventIds[i] == id) return table->Slot(i);
  return nullptr;
}
