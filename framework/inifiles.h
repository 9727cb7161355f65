// TIniFile: named values in sections of an INI file, through the private-profile functions.
// Every call opens, uses and closes the file; nothing is cached.
#pragma once

#include "framework/sysutils.h"

// "Unable to write to %s"
class EIniFileException : public Exception {
 public:
  using Exception::Exception;
};

class TIniFile {
 public:
  explicit TIniFile(const AnsiString& fileName) : fileName_(fileName) {}

  const AnsiString& FileName() const { return fileName_; }
  AnsiString ReadString(const AnsiString& section, const AnsiString& key, const AnsiString& defaultValue) const;
  // A value that is not a whole number reads as defaultValue.
  int ReadInteger(const AnsiString& section, const AnsiString& key, int defaultValue) const;
  bool ValueExists(const AnsiString& section, const AnsiString& key) const;
  void WriteString(const AnsiString& section, const AnsiString& key, const AnsiString& value);
  void WriteInteger(const AnsiString& section, const AnsiString& key, int value);

 private:
  AnsiString fileName_;
};
