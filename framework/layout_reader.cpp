#include "framework/layout_reader.h"

#include <cctype>

#include "framework/class_registry.h"
#include "framework/classes.h"
#include "framework/filer.h"
#include "framework/layout_value.h"
#include "platform/win32/places.h"
#include "platform/win32/resources.h"

namespace {

struct Token {
  enum class Type { Name, Integer, String, Symbol, End } type = Type::End;
  AnsiString text;
  long long integer = 0;
  int line = 0;
};

class Lexer {
 public:
  Lexer(const AnsiString& text, const AnsiString& source) : text_(text), source_(source) {}

  Token Next() {
    SkipBlanks();
    Token token;
    token.line = line_;
    if (pos_ >= text_.size()) return token;
    const char c = text_[pos_];
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      token.type = Token::Type::Name;
      while (pos_ < text_.size() &&
             (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_' || text_[pos_] == '.'))
        token.text += text_[pos_++];
    } else if (std::isdigit(static_cast<unsigned char>(c)) ||
               (c == '-' && pos_ + 1 < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_ + 1])))) {
      token.type = Token::Type::Integer;
      token.text += text_[pos_++];
      while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) token.text += text_[pos_++];
      token.integer = std::stoll(token.text);
    } else if (c == '"') {
      token.type = Token::Type::String;
      ++pos_;
      for (;;) {
        if (pos_ >= text_.size() || text_[pos_] == '\n') Fail(token.line, "unterminated string");
        char ch = text_[pos_++];
        if (ch == '"') break;
        if (ch == '\\') {
          if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\\'))
            Fail(line_, "only \\\" and \\\\ may be escaped");
          ch = text_[pos_++];
        }
        token.text += ch;
      }
    } else if (c == ':' || c == '{' || c == '}' || c == '=' || c == ',' || c == '@') {
      token.type = Token::Type::Symbol;
      token.text = AnsiString(1, c);
      ++pos_;
    } else {
      Fail(line_, AnsiString("unexpected character '") + c + "'");
    }
    return token;
  }

  [[noreturn]] void Fail(int line, const AnsiString& message) const {
    throw ELayoutError("Layout " + source_ + ", line " + IntToStr(line) + ": " + message);
  }

  // The bytes of binary data after its "{", up to and including the closing "}".
  AnsiString ReadHexUntilBrace() {
    AnsiString bytes;
    int high = -1;
    const int line = line_;
    for (;;) {
      SkipBlanks();
      if (pos_ >= text_.size()) Fail(line, "'}' expected after binary data");
      const char c = text_[pos_++];
      if (c == '}') break;
      const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                        : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                        : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                                                                    : -1;
      if (digit < 0) Fail(line_, AnsiString("'") + c + "' is no hex digit");
      if (high < 0) {
        high = digit;
      } else {
        bytes += static_cast<char>(high * 16 + digit);
        high = -1;
      }
    }
    if (high >= 0) Fail(line, "binary data with an odd number of hex digits");
    return bytes;
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == '#') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++pos_;
      } else {
        break;
      }
    }
  }

  const AnsiString& text_;
  AnsiString source_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

struct Node {
  AnsiString name;
  AnsiString className;
  int line = 0;
  std::vector<std::pair<AnsiString, TLayoutValue>> properties;
  std::vector<Node> children;
};

// The Windows places that layouts name, on this platform.
AnsiString MapWindowsPlace(const AnsiString& path) {
  if (path.size() == 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
      (path[2] == '\\' || path[2] == '/'))
    return win32::DefaultRoot();
  return path;
}

class Parser {
 public:
  Parser(const AnsiString& text, const AnsiString& source) : lexer_(text, source), source_(source) { Advance(); }

  Node ParseRoot() {
    Node root = ParseObject();
    if (token_.type != Token::Type::End) lexer_.Fail(token_.line, "text after the end of the window");
    return root;
  }

 private:
  void Advance() { token_ = lexer_.Next(); }
  bool IsSymbol(const char* s) const { return token_.type == Token::Type::Symbol && token_.text == s; }
  void Expect(const char* s) {
    if (!IsSymbol(s)) lexer_.Fail(token_.line, AnsiString("'") + s + "' expected");
    Advance();
  }
  AnsiString ExpectName() {
    if (token_.type != Token::Type::Name) lexer_.Fail(token_.line, "a name expected");
    AnsiString text = token_.text;
    Advance();
    return text;
  }

  Node ParseObject() {
    Node node;
    node.line = token_.line;
    node.name = ExpectName();
    Expect(":");
    node.className = ExpectName();
    Expect("{");
    ParseBody(node);
    return node;
  }

  void ParseBody(Node& node) {
    while (!IsSymbol("}")) {
      if (token_.type == Token::Type::End) lexer_.Fail(token_.line, "'}' expected for " + node.name);
      const int line = token_.line;
      const AnsiString name = ExpectName();
      if (IsSymbol(":")) {
        Node child;
        child.line = line;
        child.name = name;
        Advance();
        child.className = ExpectName();
        Expect("{");
        ParseBody(child);
        node.children.push_back(std::move(child));
      } else {
        Expect("=");
        node.properties.emplace_back(name, ParseValueList());
      }
    }
    Advance();
  }

  TLayoutValue ParseValueList() {
    TLayoutValue first = ParseValue();
    if (!IsSymbol(",")) return first;
    TLayoutValue list;
    list.kind = TLayoutValue::Kind::List;
    list.line = first.line;
    list.source = source_;
    list.items.push_back(std::move(first));
    while (IsSymbol(",")) {
      Advance();
      list.items.push_back(ParseValue());
    }
    return list;
  }

  TLayoutValue ParseValue() {
    TLayoutValue value;
    value.line = token_.line;
    value.source = source_;
    if (token_.type == Token::Type::Integer) {
      value.kind = TLayoutValue::Kind::Integer;
      value.integer = token_.integer;
      Advance();
    } else if (token_.type == Token::Type::String) {
      value.kind = TLayoutValue::Kind::String;
      value.text = token_.text;
      Advance();
    } else if (token_.type == Token::Type::Name && token_.text == "path") {
      Advance();
      if (token_.type != Token::Type::String) lexer_.Fail(token_.line, "a string expected after path");
      value.kind = TLayoutValue::Kind::String;
      value.text = MapWindowsPlace(token_.text);
      Advance();
    } else if (token_.type == Token::Type::Name) {
      value.kind = TLayoutValue::Kind::Identifier;
      value.text = token_.text;
      Advance();
    } else if (IsSymbol("@")) {
      Advance();
      value.kind = TLayoutValue::Kind::Picture;
      value.text = ExpectName();
    } else if (IsSymbol("{")) {
      value.kind = TLayoutValue::Kind::Binary;
      value.text = lexer_.ReadHexUntilBrace();
      Advance();
    } else {
      lexer_.Fail(token_.line, "a value expected");
    }
    return value;
  }

  Lexer lexer_;
  AnsiString source_;
  Token token_;
};

class Builder {
 public:
  Builder(TComponent& root, const AnsiString& source) : root_(root), source_(source) { root.DeclarePublished(table_); }

  void Build(const Node& top) {
    if (top.className != root_.ClassName())
      Fail(top.line, "the layout describes a " + top.className + ", not a " + root_.ClassName());
    if (root_.Name().empty()) root_.SetName(top.name);
    root_.BeginLoading();
    loaded_.push_back(&root_);
    SetProperties(root_, top);
    for (const Node& child : top.children) BuildChild(child, root_);
    for (TComponent* component : loaded_) component->Loaded();
  }

 private:
  [[noreturn]] void Fail(int line, const AnsiString& message) const {
    throw ELayoutError("Layout " + source_ + ", line " + IntToStr(line) + ": " + message);
  }

  void BuildChild(const Node& node, TComponent& parent) {
    if (root_.FindComponent(node.name)) Fail(node.line, "a component named " + node.name + " already exists");
    TComponentPtr<TComponent> created = CreateComponentOfClass(node.className, &root_);
    if (!created) Fail(node.line, "class " + node.className + " not found");
    created->SetName(node.name);
    created->BeginLoading();
    if (table_.HasField(node.name) && !table_.AssignField(node.name, created.get()))
      Fail(node.line, "the field " + root_.ClassName() + "::" + node.name + " does not hold a " + node.className);
    TComponent* component = root_.InsertComponent(std::move(created));
    loaded_.push_back(component);
    component->SetParentComponent(&parent);
    SetProperties(*component, node);
    for (const Node& child : node.children) BuildChild(child, *component);
  }

  void SetProperties(TComponent& component, const Node& node) {
    for (const auto& [name, value] : node.properties) {
      if (value.kind == TLayoutValue::Kind::Binary) {
        const std::vector<unsigned char> bytes(value.text.begin(), value.text.end());
        if (!ReadBinaryProperty(component, name, bytes))
          Fail(value.line, "Property " + name + " does not exist in " + component.ClassName());
        continue;
      }
      TLayoutValue bound = value;
      Bind(bound);
      component.SetLayoutProperty(name, bound);
    }
  }

  void Bind(TLayoutValue& value) {
    value.methods = &table_;
    value.rootClass = root_.ClassName();
    for (TLayoutValue& item : value.items) Bind(item);
  }

  TComponent& root_;
  AnsiString source_;
  TPublishedTable table_;
  std::vector<TComponent*> loaded_;
};

}  // namespace

void ReadLayoutText(TComponent& root, const AnsiString& text, const AnsiString& sourceName) {
  RegisterFrameworkClasses();
  Parser parser(text, sourceName);
  const Node top = parser.ParseRoot();
  Builder(root, sourceName).Build(top);
}

void ReadLayout(TComponent& root, const AnsiString& resourceName) {
  AnsiString text;
  try {
    TResourceStream stream(MainInstance(), resourceName, RT_RCDATA);
    text.resize(static_cast<std::size_t>(stream.Size()));
    if (!text.empty()) stream.ReadBuffer(text.data(), static_cast<long>(text.size()));
  } catch (const EResNotFound&) {
    throw ELayoutError("The window layout " + resourceName + " of " + root.ClassName() + " is missing");
  }
  ReadLayoutText(root, text, resourceName);
}
