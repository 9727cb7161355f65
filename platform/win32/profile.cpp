// Private-profile (INI) files.
#include "platform/win32/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/ascii.h"
#include "platform/win32/errors.h"

namespace {

// One line of the file as it stands, with its line ending.
struct Line {
  std::string text;
  std::string ending;
};

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string TrimBlanks(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsSpace(s[b])) ++b;
  while (e > b && IsSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

using win32::detail::SameNameIgnoringCase;

std::optional<std::string> SectionName(const Line& line) {
  const std::string t = TrimBlanks(line.text);
  if (t.empty() || t.front() != '[') return std::nullopt;
  const std::size_t close = t.find(']');
  return TrimBlanks(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

std::optional<std::string> KeyName(const Line& line) {
  const std::size_t eq = line.text.find('=');
  if (eq == std::string::npos) return std::nullopt;
  return TrimBlanks(line.text.substr(0, eq));
}

std::string ValueOf(const Line& line) {
  std::string v = TrimBlanks(line.text.substr(line.text.find('=') + 1));
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  return v;
}

// Editors that save "UTF-8 with signature" put it before the first section header.
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

struct IniFile {
  bool byteOrderMark = false;  // kept for the file's next write
  std::vector<Line> lines;
  std::string newline = "\r\n";  // a new file gets the system's line ending
  bool existed = false;
};

// False (with the error set) only when the file exists and cannot be read.
bool Load(const char* fileName, IniFile& ini) {
  const int fd = open(fileName, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return true;
    win32::SetLastErrorFromErrno(errno);
    return false;
  }
  std::string content;
  char buffer[8192];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) != 0) {
    if (n < 0) {
      if (errno == EINTR) continue;
      win32::SetLastErrorFromErrno(errno);
      close(fd);
      return false;
    }
    content.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  ini.existed = true;
  bool newlineSeen = false;
  std::size_t start = 0;
  if (content.rfind(kByteOrderMark, 0) == 0) {
    ini.byteOrderMark = true;
    start = std::strlen(kByteOrderMark);
  }
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    Line line;
    if (end == std::string::npos) {
      line.text = content.substr(start);
      start = content.size();
    } else {
      const bool crlf = end > start && content[end - 1] == '\r';
      line.text = content.substr(start, end - start - (crlf ? 1 : 0));
      line.ending = crlf ? "\r\n" : "\n";
      if (!newlineSeen) ini.newline = line.ending;
      newlineSeen = true;
      start = end + 1;
    }
    ini.lines.push_back(std::move(line));
  }
  return true;
}

// [begin, end) of the first section of that name: begin is its header line.
std::optional<std::pair<std::size_t, std::size_t>> FindSection(const IniFile& ini, const std::string& section) {
  for (std::size_t i = 0; i < ini.lines.size(); ++i) {
    std::optional<std::string> name = SectionName(ini.lines[i]);
    if (!name || !SameNameIgnoringCase(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < ini.lines.size() && !SectionName(ini.lines[end])) ++end;
    return std::make_pair(i, end);
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const IniFile& ini, std::pair<std::size_t, std::size_t> range,
                                   const std::string& key) {
  for (std::size_t i = range.first + 1; i < range.second; ++i) {
    std::optional<std::string> name = KeyName(ini.lines[i]);
    if (name && SameNameIgnoringCase(*name, key)) return i;
  }
  return std::nullopt;
}

std::string Serialise(const IniFile& ini) {
  std::string out = ini.byteOrderMark ? kByteOrderMark : "";
  for (const Line& line : ini.lines) out += line.text + line.ending;
  return out;
}

bool WriteWhole(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Replaces the file through a temporary file in its folder, so that a failed write never leaves
// it half written; where the folder refuses new files, the file itself is rewritten.
bool Store(const char* fileName, const IniFile& ini) {
  std::string path = fileName;
  char resolved[PATH_MAX];
  if (ini.existed && realpath(fileName, resolved) != nullptr) path = resolved;  // keep a symbolic link
  const std::string data = Serialise(ini);

  std::string temporary = path + ".XXXXXX";
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd >= 0) {
    struct stat st {};
    mode_t mode = 0666;
    if (stat(path.c_str(), &st) == 0) {
      mode = st.st_mode & 07777;
    } else {
      const mode_t mask = umask(0);
      umask(mask);
      mode &= ~mask;
    }
    bool ok = WriteWhole(fd, data) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    const int err = errno;
    ok = close(fd) == 0 && ok;
    if (ok && rename(temporary.c_str(), path.c_str()) == 0) return true;
    unlink(temporary.c_str());
    win32::SetLastErrorFromErrno(ok ? errno : err);
    return false;
  }
  if (!ini.existed) {
    win32::SetLastErrorFromErrno(errno);
    return false;
  }
  const int inPlace = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (inPlace < 0) {
    win32::SetLastErrorFromErrno(errno);
    return false;
  }
  const bool ok = WriteWhole(inPlace, data);
  const int err = errno;
  close(inPlace);
  if (!ok) win32::SetLastErrorFromErrno(err);
  return ok;
}

// Copies a NUL-separated list ending in a double NUL, truncated as Windows does.
DWORD CopyList(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
  if (size < 2) {
    if (size == 1) buffer[0] = '\0';
    return 0;
  }
  DWORD used = 0;
  for (const std::string& name : names) {
    for (char c : name) {
      if (used + 2 >= size) {
        buffer[used] = '\0';
        buffer[used + 1] = '\0';
        return size - 2;
      }
      buffer[used++] = c;
    }
    buffer[used++] = '\0';
  }
  buffer[used] = '\0';
  return used;
}

DWORD CopyString(const std::string& text, LPSTR buffer, DWORD size) {
  if (size == 0) return 0;
  const DWORD n = static_cast<DWORD>(std::min<std::size_t>(text.size(), size - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return n;
}

}  // namespace

DWORD WINAPI GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue, LPSTR returnedString,
                                      DWORD size, LPCSTR fileName) {
  if (returnedString == nullptr || fileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  IniFile ini;
  Load(fileName, ini);
  if (appName == nullptr) {
    std::vector<std::string> sections;
    for (const Line& line : ini.lines) {
      if (std::optional<std::string> name = SectionName(line)) sections.push_back(*name);
    }
    return CopyList(sections, returnedString, size);
  }
  const auto range = FindSection(ini, appName);
  if (keyName == nullptr) {
    std::vector<std::string> keys;
    if (range) {
      for (std::size_t i = range->first + 1; i < range->second; ++i) {
        if (std::optional<std::string> name = KeyName(ini.lines[i])) keys.push_back(*name);
      }
    }
    return CopyList(keys, returnedString, size);
  }
  std::optional<std::size_t> line;
  if (range) line = FindKey(ini, *range, keyName);
  if (!line) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return CopyString(TrimBlanks(defaultValue ? defaultValue : ""), returnedString, size);
  }
  SetLastError(ERROR_SUCCESS);
  return CopyString(ValueOf(ini.lines[*line]), returnedString, size);
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue, LPCSTR fileName) {
  char text[64];
  const char kMissing[] = "\x01";
  GetPrivateProfileStringA(appName, keyName, kMissing, text, sizeof text, fileName);
  if (std::strcmp(text, kMissing) == 0) return static_cast<UINT>(defaultValue);
  // Leading digits only, as Windows reads them: "12abc" is 12, "abc" is 0.
  return static_cast<UINT>(std::strtol(text, nullptr, 10));
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value, LPCSTR fileName) {
  if (appName == nullptr || fileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // A line break in a value or name would break the file's structure for every later reader.
  for (LPCSTR text : {appName, keyName, value}) {
    if (text != nullptr && std::strpbrk(text, "\r\n") != nullptr) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  }
  IniFile ini;
  if (!Load(fileName, ini)) return FALSE;
  auto range = FindSection(ini, appName);

  if (keyName == nullptr) {
    if (!range) return TRUE;
    ini.lines.erase(ini.lines.begin() + static_cast<long>(range->first),
                    ini.lines.begin() + static_cast<long>(range->second));
    return Store(fileName, ini) ? TRUE : FALSE;
  }
  std::optional<std::size_t> keyLine;
  if (range) keyLine = FindKey(ini, *range, keyName);
  if (value == nullptr) {
    if (!keyLine) return TRUE;
    ini.lines.erase(ini.lines.begin() + static_cast<long>(*keyLine));
    return Store(fileName, ini) ? TRUE : FALSE;
  }

  if (keyLine) {
    // The key keeps its own spelling and line ending; only the value changes.
    Line& line = ini.lines[*keyLine];
    line.text = line.text.substr(0, line.text.find('=') + 1) + value;
  } else {
    if (!ini.lines.empty() && ini.lines.back().ending.empty()) ini.lines.back().ending = ini.newline;
    if (!range) {
      ini.lines.push_back({std::string("[") + appName + "]", ini.newline});
      range = std::make_pair(ini.lines.size() - 1, ini.lines.size());
    }
    // After the section's last non-blank line, so blank separators stay before the next section.
    std::size_t at = range->second;
    while (at > range->first + 1 && TrimBlanks(ini.lines[at - 1].text).empty()) --at;
    ini.lines.insert(ini.lines.begin() + static_cast<long>(at), Line{std::string(keyName) + "=" + value, ini.newline});
  }
  return Store(fileName, ini) ? TRUE : FALSE;
}
