// One property value of a stored window layout.
#pragma once

#include <typeinfo>
#include <vector>

#include "framework/components.h"
#include "framework/graphics.h"
#include "framework/sysutils.h"

// A layout that cannot be read or applied: the message names the layout and the line.
class ELayoutError : public Exception {
 public:
  using Exception::Exception;
};

class TLayoutValue {
 public:
  enum class Kind { Integer, String, Identifier, Picture, List, Binary };

  Kind kind = Kind::Integer;
  long long integer = 0;
  AnsiString text;  // string, identifier or picture name; the bytes of binary data
  std::vector<TLayoutValue> items;
  AnsiString source;  // the layout's name
  int line = 0;
  // The methods that identifiers of event properties name (those of the layout's root).
  const TPublishedTable* methods = nullptr;
  AnsiString rootClass;

  int Int() const;
  AnsiString Str() const;
  bool Bool() const;  // the identifiers true and false
  AnsiString Ident() const;
  std::vector<AnsiString> Strings() const;  // a string, or a list of strings
  // A list's items; a single value as a list of itself.
  std::vector<TLayoutValue> Items() const;
  TBitmap Picture() const;  // @NAME: a registered picture or a raw-data resource of that name

  // The root's published method that an identifier names, as a handler of type F. A name that the
  // root does not publish, or a method whose signature does not fit, raises ELayoutError.
  template <class F>
  F Handler(const AnsiString& event) const {
    const AnsiString name = Ident();
    if (!methods || !methods->HasMethod(name))
      Fail("The handler " + name + " for " + event + " does not exist in " + rootClass);
    try {
      return methods->FindMethod<F>(name);
    } catch (const std::bad_any_cast&) {
      Fail("The handler " + rootClass + "::" + name + " does not fit the event " + event);
    }
  }

  // Maps an identifier to the value of the same name in a list of (name, value) pairs.
  template <class E, std::size_t N>
  E Enum(const std::pair<const char*, E> (&names)[N]) const {
    const AnsiString name = Ident();
    for (const auto& [text, value] : names)
      if (name == text) return value;
    Fail("'" + name + "' is not a valid value here");
  }

  [[noreturn]] void Fail(const AnsiString& message) const;
};
