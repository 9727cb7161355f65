#include "framework/local_paths.h"

#include <QFile>
#include <vector>

#include "platform/win32/kernel32.h"

namespace {

bool Exists(const AnsiString& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

AnsiString Bytes(const QString& text) { return QFile::encodeName(text).toStdString(); }

// The names in the folder that Qt shows as this text.
std::vector<AnsiString> EntriesShownAs(const AnsiString& folder, const QString& shown) {
  std::vector<AnsiString> found;
  WIN32_FIND_DATAA entry{};
  const HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return found;
  do {
    const AnsiString name = entry.cFileName;
    if (name != "." && name != ".." && QFile::decodeName(QByteArray::fromStdString(name)) == shown)
      found.push_back(name);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return found;
}

}  // namespace

AnsiString LocalPath(const QString& path) {
  const AnsiString whole = Bytes(path);
  if (whole.empty() || Exists(whole)) return whole;
  const bool absolute = path.startsWith('/');
  AnsiString resolved(absolute ? 1 : 0, '/');
  qsizetype start = absolute ? 1 : 0;
  while (start <= path.size()) {
    qsizetype end = path.indexOf('/', start);
    if (end < 0) end = path.size();
    const QString component = path.mid(start, end - start);
    if (!component.isEmpty()) {
      AnsiString name = Bytes(component);
      // Only Qt's stand-in character marks a name that its text cannot give back.
      if (component.contains(QChar::ReplacementCharacter) && !Exists(resolved + name)) {
        const std::vector<AnsiString> found = EntriesShownAs(resolved.empty() ? "./" : resolved, component);
        if (found.size() == 1) name = found.front();
      }
      resolved += name;
    }
    if (end < path.size()) resolved += '/';
    start = end + 1;
  }
  return resolved;
}

AnsiString LocalPath(const QUrl& url) {
  const AnsiString encoded = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
  if (url.isLocalFile() && !encoded.empty() && Exists(encoded)) return encoded;
  return LocalPath(url.toLocalFile());
}
