// Strings, conversions, path names and the exception classes of the framework.
//
// The program's own strings are 8-bit strings (AnsiString); positions in them count from 1.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "platform/win32/wintypes.h"

using AnsiString = std::string;

// Root of the framework's exceptions; Message() is the text the standard error box shows.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const AnsiString& message) : std::runtime_error(message) {}
  AnsiString Message() const { return what(); }
};

// "'%s' is not a valid integer value" and the other failed conversions.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};
// "Cannot create file "%s". %s"
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
// "Cannot open file "%s". %s"
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EResNotFound : public Exception {
 public:
  using Exception::Exception;
};
// An index outside a list: "List index out of bounds (%d)".
class EListError : public Exception {
 public:
  using Exception::Exception;
};

// "Out of memory": memory the framework asked for could not be had.
class EOutOfMemory : public Exception {
 public:
  EOutOfMemory() : Exception("Out of memory") {}
};
// "Interface not supported": an object asked for an interface that it does not have.
class EIntfCastError : public Exception {
 public:
  EIntfCastError() : Exception("Interface not supported") {}
};

AnsiString Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

AnsiString IntToStr(long long value);
// Decimal with optional sign; leading blanks are skipped. Raises EConvertError otherwise.
int StrToInt(const AnsiString& text);
int StrToIntDef(const AnsiString& text, int defaultValue);
bool TryStrToInt(const AnsiString& text, int& value);

// Removes characters of code 32 or less from both ends.
AnsiString Trim(const AnsiString& text);
// 1-based: the count characters from index (fewer where the text ends); an index below 1 counts as 1.
AnsiString Copy(const AnsiString& text, int index, int count);
// 1-based position of the first occurrence of sub in text, 0 when absent.
int Pos(const AnsiString& sub, const AnsiString& text);
AnsiString UpperCase(const AnsiString& text);
AnsiString LowerCase(const AnsiString& text);
bool SameText(const AnsiString& a, const AnsiString& b);  // ASCII case-insensitive
AnsiString StringReplaceAll(const AnsiString& text, const AnsiString& from, const AnsiString& to);

// Path names. On Windows '\', '/' and the drive's ':' are delimiters; elsewhere only '/' is, and
// a backslash or colon is an ordinary character of a file name.
constexpr char PathDelim =
#ifdef _WIN32
    '\\';
#else
    '/';
#endif
bool IsPathDelimiter(char c);
AnsiString ExtractFileName(const AnsiString& path);  // what follows the last delimiter
AnsiString ExtractFilePath(const AnsiString& path);  // up to and including the last delimiter
AnsiString ExtractFileExt(const AnsiString& path);   // from the last "." of the name, or empty
AnsiString IncludeTrailingPathDelimiter(const AnsiString& path);
// Whether the path is not given from the root (of a drive, a share or the file system) and so
// depends on the current folder.
bool IsRelativePath(const AnsiString& path);
// The absolute form of a path, "." and ".." resolved by name; the path itself when it has none.
AnsiString ExpandFileName(const AnsiString& path);
bool FileExists(const AnsiString& path);
bool DirectoryExists(const AnsiString& path);

// The system's message for an error code of GetLastError, without a trailing line break.
AnsiString SysErrorMessage(DWORD code);

// Ends the program with this exit code after its orderly shutdown: the procedure set by
// SetHaltProcedure (the application's, which destroys its windows) runs first, then the
// process ends without static destructors.
[[noreturn]] void Halt(int exitCode);
// Replaces the procedure that Halt runs before the process ends; an empty one for none.
void SetHaltProcedure(std::function<void()> procedure);
