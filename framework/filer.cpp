#include "framework/filer.h"

namespace {

class TBinaryReader final : public TFiler {
 public:
  TBinaryReader(const AnsiString& name, const std::vector<unsigned char>& bytes) : name_(name), bytes_(bytes) {}
  bool Found() const { return found_; }

  void DefineBinaryProperty(const AnsiString& name, TStreamProc readData, TStreamProc, bool) override {
    if (found_ || name != name_ || !readData) return;
    found_ = true;
    TMemoryStream stream;
    stream.SetBytes(bytes_);
    readData(stream);
  }

 private:
  const AnsiString& name_;
  const std::vector<unsigned char>& bytes_;
  bool found_ = false;
};

class TBinaryWriter final : public TFiler {
 public:
  std::vector<std::pair<AnsiString, std::vector<unsigned char>>> written;

  void DefineBinaryProperty(const AnsiString& name, TStreamProc, TStreamProc writeData, bool hasData) override {
    if (!hasData || !writeData) return;
    TMemoryStream stream;
    writeData(stream);
    written.emplace_back(name, stream.Bytes());
  }
};

}  // namespace

bool ReadBinaryProperty(TComponent& component, const AnsiString& name, const std::vector<unsigned char>& bytes) {
  TBinaryReader reader(name, bytes);
  component.DefineProperties(reader);
  return reader.Found();
}

std::vector<std::pair<AnsiString, std::vector<unsigned char>>> WriteBinaryProperties(TComponent& component) {
  TBinaryWriter writer;
  component.DefineProperties(writer);
  return std::move(writer.written);
}

AnsiString FormatBinaryProperties(TComponent& component, const AnsiString& indent) {
  static const char kDigits[] = "0123456789ABCDEF";
  AnsiString text;
  for (const auto& [name, bytes] : WriteBinaryProperties(component)) {
    text += indent + name + " = {\n";
    for (std::size_t i = 0; i < bytes.size(); i += 32) {
      text += indent + "  ";
      for (std::size_t k = i; k < bytes.size() && k < i + 32; ++k) {
        text += kDigits[bytes[k] >> 4];
        text += kDigits[bytes[k] & 0xF];
      }
      text += "\n";
    }
    text += indent + "}\n";
  }
  return text;
}
