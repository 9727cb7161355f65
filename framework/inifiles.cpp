#include "framework/inifiles.h"

#include <vector>

#include "platform/win32/profile.h"

namespace {

bool HasOuterBlanks(const AnsiString& value) {
  return !value.empty() &&
         (static_cast<unsigned char>(value.front()) <= ' ' || static_cast<unsigned char>(value.back()) <= ' ');
}

bool HasOuterQuotes(const AnsiString& value) {
  return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
}

}  // namespace

AnsiString TIniFile::ReadString(const AnsiString& section, const AnsiString& key,
                                const AnsiString& defaultValue) const {
  // A value that fills the buffer may have been cut (a deep folder, say): read it again with more room.
  std::vector<char> buffer(2048);
  for (;;) {
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                             static_cast<DWORD>(buffer.size()), fileName_.c_str());
    if (n + 1 < buffer.size()) return AnsiString(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

int TIniFile::ReadInteger(const AnsiString& section, const AnsiString& key, int defaultValue) const {
  return StrToIntDef(ReadString(section, key, ""), defaultValue);
}

bool TIniFile::ValueExists(const AnsiString& section, const AnsiString& key) const {
  const AnsiString missing = "\x01";
  return ReadString(section, key, missing) != missing;
}

void TIniFile::WriteString(const AnsiString& section, const AnsiString& key, const AnsiString& value) {
  // Reading trims blanks and strips one pair of quotes; quoting such a value brings it back intact.
  const AnsiString stored = HasOuterBlanks(value) || HasOuterQuotes(value) ? "\"" + value + "\"" : value;
  if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), stored.c_str(), fileName_.c_str())) {
    throw EIniFileException(Format("Unable to write to %s", fileName_.c_str()));
  }
}

void TIniFile::WriteInteger(const AnsiString& section, const AnsiString& key, int value) {
  WriteString(section, key, IntToStr(value));
}
