#include "batch/output_naming.h"

#include "platform/win32/kernel32.h"

namespace batch {

bool PathIsTaken(const AnsiString& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

AnsiString FreeOutputName(const AnsiString& source, const AnsiString& folder, const AnsiString& extension) {
  AnsiString name = ExtractFileName(source);
  const AnsiString oldExtension = ExtractFileExt(name);
  if (!oldExtension.empty()) {
    // The first occurrence, in any letter case, goes: "a.avi.avi" keeps "a.avi".
    const int at = Pos(LowerCase(oldExtension), LowerCase(name));
    name.erase(static_cast<std::size_t>(at - 1), oldExtension.size());
  }
  const AnsiString base = name + "." + extension;
  AnsiString candidate = base;
  // A folder of that name blocks the move as surely as a file does.
  for (int n = 1; PathIsTaken(folder + candidate); ++n) candidate = "[" + IntToStr(n) + "]" + base;
  return folder + candidate;
}

}  // namespace batch
