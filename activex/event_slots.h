// Event handler slots: where a descendant of the control host receives the hosted control's events.
//
// A descendant declares one typed slot per entry of its descriptor's EventIds, then a slot table
// that lists them in that order:
//
//   class TDerivedMovie_ : public TOleControl2 {
//    public:
//     TOleEvent<int, int> OnOpenStateChange;       // (Sender, OldState, NewState)
//     TOleEvent<BSTR, BSTR> OnScriptCommand;       // (Sender, scType, Param)
//     TOleEvent<VARIANT_BOOL> OnBuffering;         // (Sender, Start)
//     TOleEvent<double, double> OnPositionChange;  // (Sender, oldPosition, newPosition)
//     TOleEvent<> OnError;                         // (Sender)
//    private:
//     TEventSlots eventSlots_{*this, {&OnOpenStateChange, &OnScriptCommand, ...}};
//     void DescribeControl() override {
//       descriptor_.EventTableOffset = EventTableOffsetOf(eventSlots_);  // or 0: the first table
//       UseDescriptor(descriptor_);
//     }
//   };
//   movie->OnOpenStateChange = [this](TObject* sender, int oldState, int newState) { ... };
//
// A handler gets Sender (the host) and the event's arguments in the order the control declares
// them. Each argument is handed over without conversion, by what its VARTYPE carries:
//   - VT_R4: the 32-bit float, for a float parameter;
//   - VT_R8, VT_CY, VT_DATE: the 64-bit value, for a double, LONGLONG or CY parameter;
//   - any type with VT_ARRAY: the VARIANT element itself, for a VARIANT& or VARIANT* parameter;
//   - VT_BSTR, VT_DISPATCH, VT_UNKNOWN and every VT_BYREF type: the pointer, for a pointer
//     parameter (BSTR, IDispatch*, IUnknown*, or LONG*, VARIANT_BOOL*, ... for a var parameter
//     that the handler writes through);
//   - every other type: the value's first 32 bits, for a parameter of at most 32 bits (int, LONG,
//     VARIANT_BOOL takes the low 16 bits, ...).
// The legacy event form (DescriptorVersion below 300) differs for strings, which a handler takes as
// AnsiString (by value) or AnsiString& (written back into a by-reference BSTR after the handler
// returns), and for VT_DISPATCH, which comes as the VARIANT element.
// A handler whose parameters do not fit the arguments (another count, or a parameter that cannot
// take what the argument carries) is not called: the event raises EOleError, which the host reports.
#pragma once

#include <cstring>
#include <functional>
#include <initializer_list>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/components.h"
#include "framework/ole_errors.h"

class TOleControl2;

class TEventSlot {
 public:
  virtual ~TEventSlot() = default;
  virtual bool Assigned() const = 0;
  // Calls the handler with the event's arguments; legacy: the legacy event form.
  virtual void Call(TObject* sender, DISPID id, DISPPARAMS& parameters, bool legacy) const = 0;
};

namespace event_arguments {

// What an argument's VARTYPE carries to the handler.
enum class Payload { Scalar32, Float32, Value64, Pointer, Element, String };
Payload PayloadOf(VARTYPE type, bool legacy);
[[noreturn]] void Mismatch(DISPID id, int position, VARTYPE type);
// The 8-bit string of a string argument, by value or by reference.
AnsiString StringOf(const VARIANT& element);
// Replaces the caller's BSTR behind a by-reference string argument (the old one is freed).
void WriteBackString(BSTR* place, const AnsiString& text);

template <class P, class = void>
struct Parameter;  // a parameter type that no argument can fill: does not compile

// Numbers and booleans: the first bytes of the value area.
template <class P>
struct Parameter<P, std::enable_if_t<std::is_arithmetic_v<P> || std::is_same_v<P, CY>>> {
  struct Holder {
    P value;
    P Get() { return value; }
    void WriteBack() {}
  };
  static Holder Take(VARIANT& element, DISPID id, int position, bool legacy) {
    const Payload payload = PayloadOf(element.vt, legacy);
    const bool fits = sizeof(P) == 8 ? payload == Payload::Value64
                                     : sizeof(P) <= 4 && (payload == Payload::Scalar32 || payload == Payload::Float32);
    if (!fits) Mismatch(id, position, element.vt);
    Holder holder;
    std::memcpy(&holder.value, &element.llVal, sizeof(P));
    return holder;
  }
};

// Pointers: a string, an interface, or the place behind a by-reference argument; VARIANT* also
// takes an element.
template <class T>
struct Parameter<T*> {
  struct Holder {
    T* value;
    T* Get() { return value; }
    void WriteBack() {}
  };
  static Holder Take(VARIANT& element, DISPID id, int position, bool legacy) {
    const Payload payload = PayloadOf(element.vt, legacy);
    if constexpr (std::is_same_v<std::remove_cv_t<T>, VARIANT>) {
      if (payload == Payload::Element) return Holder{&element};
    }
    if (payload != Payload::Pointer) Mismatch(id, position, element.vt);
    Holder holder;
    std::memcpy(&holder.value, &element.byref, sizeof(T*));
    return holder;
  }
};

template <class V>
struct ElementParameter {
  struct Holder {
    VARIANT* element;
    V Get() { return *element; }
    void WriteBack() {}
  };
  static Holder Take(VARIANT& element, DISPID id, int position, bool legacy) {
    if (PayloadOf(element.vt, legacy) != Payload::Element) Mismatch(id, position, element.vt);
    return Holder{&element};
  }
};
template <>
struct Parameter<VARIANT&> : ElementParameter<VARIANT&> {};
template <>
struct Parameter<const VARIANT&> : ElementParameter<const VARIANT&> {};

// Legacy strings: an 8-bit copy, written back into a by-reference BSTR for an AnsiString& parameter.
template <class S, bool WritesBack>
struct StringParameter {
  struct Holder {
    AnsiString text;
    BSTR* place;
    S Get() { return text; }
    void WriteBack() {
      if (WritesBack && place) WriteBackString(place, text);
    }
  };
  static Holder Take(VARIANT& element, DISPID id, int position, bool legacy) {
    if (PayloadOf(element.vt, legacy) != Payload::String) Mismatch(id, position, element.vt);
    return Holder{StringOf(element), (element.vt & VT_BYREF) ? element.pbstrVal : nullptr};
  }
};
template <>
struct Parameter<AnsiString> : StringParameter<AnsiString, false> {};
template <>
struct Parameter<const AnsiString&> : StringParameter<const AnsiString&, false> {};
template <>
struct Parameter<AnsiString&> : StringParameter<AnsiString&, true> {};

[[noreturn]] void CountMismatch(DISPID id, UINT arguments, std::size_t parameters);

}  // namespace event_arguments

template <class... Args>
class TOleEvent final : public TEventSlot {
 public:
  using Handler = std::function<void(TObject* Sender, Args...)>;

  TOleEvent() = default;
  TOleEvent& operator=(Handler handler) {
    handler_ = std::move(handler);
    return *this;
  }
  explicit operator bool() const { return Assigned(); }
  bool Assigned() const override { return static_cast<bool>(handler_); }

  void Call(TObject* sender, DISPID id, DISPPARAMS& parameters, bool legacy) const override {
    if (parameters.cArgs != sizeof...(Args)) event_arguments::CountMismatch(id, parameters.cArgs, sizeof...(Args));
    CallWith(sender, id, parameters, legacy, std::index_sequence_for<Args...>{});
  }

 private:
  template <std::size_t... I>
  void CallWith(TObject* sender, [[maybe_unused]] DISPID id, DISPPARAMS& parameters, [[maybe_unused]] bool legacy,
                std::index_sequence<I...>) const {
    // The control's first argument is the array's last element.
    [[maybe_unused]] VARIANT* elements = parameters.rgvarg;
    std::tuple<typename event_arguments::Parameter<Args>::Holder...> holders{event_arguments::Parameter<Args>::Take(
        elements[sizeof...(Args) - 1 - I], id, static_cast<int>(I) + 1, legacy)...};
    handler_(sender, std::get<I>(holders).Get()...);
    // By-reference strings go back last first.
    (std::get<sizeof...(Args) - 1 - I>(holders).WriteBack(), ...);
  }

  Handler handler_;
};

// A descendant's table of its event handler slots, in the order of its descriptor's EventIds. It
// makes itself known to its host for as long as it lives.
class TEventSlots {
 public:
  TEventSlots(TOleControl2& host, std::initializer_list<TEventSlot*> entries);
  ~TEventSlots();
  TEventSlots(const TEventSlots&) = delete;
  TEventSlots& operator=(const TEventSlots&) = delete;

  int Count() const { return static_cast<int>(slots_.size()); }
  // Null outside the table.
  TEventSlot* Slot(int index) const;

 private:
  TOleControl2& host_;
  std::vector<TEventSlot*> slots_;
};
