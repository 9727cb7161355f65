#include "framework/layout_value.h"

#include "framework/classes.h"
#include "framework/graphics.h"

void TLayoutValue::Fail(const AnsiString& message) const {
  throw ELayoutError("Layout " + source + ", line " + IntToStr(line) + ": " + message);
}

int TLayoutValue::Int() const {
  if (kind != Kind::Integer) Fail("a number is expected");
  return static_cast<int>(integer);
}

AnsiString TLayoutValue::Str() const {
  if (kind != Kind::String) Fail("a string is expected");
  return text;
}

bool TLayoutValue::Bool() const {
  if (kind == Kind::Identifier && text == "true") return true;
  if (kind == Kind::Identifier && text == "false") return false;
  Fail("true or false is expected");
}

AnsiString TLayoutValue::Ident() const {
  if (kind != Kind::Identifier) Fail("a name is expected");
  return text;
}

std::vector<AnsiString> TLayoutValue::Strings() const {
  std::vector<AnsiString> result;
  for (const TLayoutValue& item : Items()) result.push_back(item.Str());
  return result;
}

std::vector<TLayoutValue> TLayoutValue::Items() const {
  if (kind == Kind::List) return items;
  return {*this};
}

TBitmap TLayoutValue::Picture() const {
  if (kind != Kind::Picture) Fail("a picture (@NAME) is expected");
  TBitmap bitmap;
  try {
    bitmap.LoadFromResourceName(MainInstance(), text);
  } catch (const Exception& e) {
    Fail("the picture " + text + " cannot be loaded: " + e.Message());
  }
  return bitmap;
}
