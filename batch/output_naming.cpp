#include "batch/output_naming.h"

#include "platform/win32/kernel32.h"

namespace batch {

bool PathIsTaken(const AnsiString& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

AnsiString OutputBaseName(const AnsiString& source, const AnsiString& extension) {
  AnsiString name = ExtractFileName(source);
  const AnsiString oldExtension = ExtractFileExt(name);
  if (!oldExtension.empty()) {
    // The first occurrence, in any letter case, goes: "a.avi.avi" keeps "a.avi".
    const int at = Pos(LowerCase(oldExtension), LowerCase(name));
    name.erase(static_cast<std::size_t>(at - 1), oldExtension.size());
  }
  return name + "." + extension;
}

AnsiString RangeOutputBaseName(const AnsiString& source, const AnsiString& extension, int index, int count) {
  if (count <= 1) return OutputBaseName(source, extension);
  AnsiString number = IntToStr(index);
  const std::size_t width = IntToStr(count).size();
  if (number.size() < width) number.insert(0, width - number.size(), '0');
  const AnsiString whole = OutputBaseName(source, extension);
  return whole.substr(0, whole.size() - extension.size() - 1) + "-" + number + "." + extension;
}

AnsiString FreeName(const AnsiString& folder, const AnsiString& base, const NameTest& taken) {
  AnsiString candidate = base;
  for (int n = 1; taken(folder + candidate); ++n) candidate = "[" + IntToStr(n) + "]" + base;
  return folder + candidate;
}

AnsiString FreeOutputName(const AnsiString& source, const AnsiString& folder, const AnsiString& extension) {
  // A folder of that name blocks the move as surely as a file does.
  return FreeName(folder, OutputBaseName(source, extension), PathIsTaken);
}

}  // namespace batch
