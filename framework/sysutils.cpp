#include "framework/sysutils.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/win32/errors.h"
#include "platform/win32/kernel32.h"

AnsiString Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::vector<char> buffer(static_cast<std::size_t>(n > 0 ? n : 0) + 1);
  std::vsnprintf(buffer.data(), buffer.size(), format, args);
  va_end(args);
  return AnsiString(buffer.data(), static_cast<std::size_t>(n > 0 ? n : 0));
}

AnsiString IntToStr(long long value) { return std::to_string(value); }

bool TryStrToInt(const AnsiString& text, int& value) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  long long result = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    result = result * 10 + (c - '0');
    if (result > 2147483648LL) return false;
  }
  if (negative) result = -result;
  if (result > 2147483647LL) return false;
  value = static_cast<int>(result);
  return true;
}

int StrToInt(const AnsiString& text) {
  int value = 0;
  if (!TryStrToInt(text, value)) throw EConvertError(Format("'%s' is not a valid integer value", text.c_str()));
  return value;
}

int StrToIntDef(const AnsiString& text, int defaultValue) {
  int value = 0;
  return TryStrToInt(text, value) ? value : defaultValue;
}

AnsiString Trim(const AnsiString& text) {
  std::size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return text.substr(b, e - b);
}

AnsiString Copy(const AnsiString& text, int index, int count) {
  if (index < 1) index = 1;
  if (count <= 0 || static_cast<std::size_t>(index) > text.size()) return AnsiString();
  return text.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
}

int Pos(const AnsiString& sub, const AnsiString& text) {
  if (sub.empty()) return 0;
  const std::size_t at = text.find(sub);
  return at == AnsiString::npos ? 0 : static_cast<int>(at) + 1;
}

AnsiString UpperCase(const AnsiString& text) {
  AnsiString result = text;
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return result;
}

AnsiString LowerCase(const AnsiString& text) {
  AnsiString result = text;
  for (char& c : result) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return result;
}

bool SameText(const AnsiString& a, const AnsiString& b) { return LowerCase(a) == LowerCase(b); }

AnsiString StringReplaceAll(const AnsiString& text, const AnsiString& from, const AnsiString& to) {
  if (from.empty()) return text;
  AnsiString result;
  std::size_t start = 0, at;
  while ((at = text.find(from, start)) != AnsiString::npos) {
    result.append(text, start, at - start);
    result += to;
    start = at + from.size();
  }
  result.append(text, start, AnsiString::npos);
  return result;
}

bool IsPathDelimiter(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/' || c == ':';
#else
  return c == '/';
#endif
}

namespace {

std::size_t LastDelimiter(const AnsiString& path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsPathDelimiter(path[i - 1])) return i - 1;
  }
  return AnsiString::npos;
}

}  // namespace

AnsiString ExtractFileName(const AnsiString& path) {
  const std::size_t at = LastDelimiter(path);
  return at == AnsiString::npos ? path : path.substr(at + 1);
}

AnsiString ExtractFilePath(const AnsiString& path) {
  const std::size_t at = LastDelimiter(path);
  return at == AnsiString::npos ? AnsiString() : path.substr(0, at + 1);
}

AnsiString ExtractFileExt(const AnsiString& path) {
  const AnsiString name = ExtractFileName(path);
  const std::size_t dot = name.rfind('.');
  return dot == AnsiString::npos ? AnsiString() : name.substr(dot);
}

AnsiString IncludeTrailingPathDelimiter(const AnsiString& path) {
  if (!path.empty() && IsPathDelimiter(path.back())) return path;
  return path + PathDelim;
}

bool IsRelativePath(const AnsiString& path) {
#ifdef _WIN32
  const bool fromDrive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  const bool fromShare = path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
  return !fromDrive && !fromShare;
#else
  return path.empty() || path[0] != '/';
#endif
}

AnsiString ExpandFileName(const AnsiString& path) {
  std::vector<char> buffer(MAX_PATH);
  DWORD n = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  if (n >= buffer.size()) {
    buffer.resize(n);
    n = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  }
  if (n == 0 || n >= buffer.size()) return path;
  return AnsiString(buffer.data(), n);
}

bool FileExists(const AnsiString& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const AnsiString& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

AnsiString SysErrorMessage(DWORD code) {
  char buffer[512];
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                                 sizeof buffer, nullptr);
  AnsiString text(buffer, n);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text.empty() ? Format("System error %u.", code) : text;
}

namespace {
std::function<void()>& HaltProcedure() {
  static std::function<void()> procedure;
  return procedure;
}
}  // namespace

void SetHaltProcedure(std::function<void()> procedure) { HaltProcedure() = std::move(procedure); }

void Halt(int exitCode) {
  // Taken out first: a Halt from within the shutdown itself ends the process at once.
  if (std::function<void()> procedure = std::exchange(HaltProcedure(), nullptr)) procedure();
  std::fflush(nullptr);
  // Halt is called from deep inside handlers whose objects the shutdown has destroyed; the
  // libraries' own static clean-up would run over them, so the process ends here.
  std::_Exit(exitCode);
}
