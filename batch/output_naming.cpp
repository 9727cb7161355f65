#include "batch/output_naming.h"

#include <vector>

#include "platform/win32/kernel32.h"

namespace batch {
namespace {

// When the system cannot tell, the longest name that every common file system takes.
constexpr std::size_t kUsualLongestName = 255;

// prefix + stem + suffix, the stem cut so that the whole takes at most `longest` bytes; a cut
// never falls inside a UTF-8 sequence.
AnsiString Fitting(const AnsiString& prefix, const AnsiString& stem, const AnsiString& suffix, std::size_t longest) {
  if (prefix.size() + stem.size() + suffix.size() <= longest) return prefix + stem + suffix;
  std::size_t keep = longest > prefix.size() + suffix.size() ? longest - prefix.size() - suffix.size() : 0;
  while (keep > 0 && (static_cast<unsigned char>(stem[keep]) & 0xC0) == 0x80) --keep;
  return prefix + stem.substr(0, keep) + suffix;
}

}  // namespace

bool PathIsTaken(const AnsiString& path) {
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  // A symbolic link whose target is gone still holds the name; only a listing sees it.
  WIN32_FIND_DATAA found{};
  const HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

std::size_t LongestNameIn(const AnsiString& folder) {
  std::vector<char> root(folder.size() + 2);
  DWORD longest = 0;
  if (!GetVolumePathNameA(folder.c_str(), root.data(), static_cast<DWORD>(root.size())) ||
      !GetVolumeInformationA(root.data(), nullptr, 0, nullptr, &longest, nullptr, nullptr, 0) || longest == 0) {
    return kUsualLongestName;
  }
  return longest;
}

NameParts OutputNameParts(const AnsiString& source, const AnsiString& extension, int index, int count) {
  AnsiString stem = ExtractFileName(source);
  const AnsiString oldExtension = ExtractFileExt(stem);
  if (!oldExtension.empty()) {
    // The first occurrence, in any letter case, goes: "a.avi.avi" keeps "a.avi".
    const int at = Pos(LowerCase(oldExtension), LowerCase(stem));
    stem.erase(static_cast<std::size_t>(at - 1), oldExtension.size());
  }
  if (count <= 1) return {stem, "." + extension};
  AnsiString number = IntToStr(index);
  const std::size_t width = IntToStr(count).size();
  if (number.size() < width) number.insert(0, width - number.size(), '0');
  return {stem, "-" + number + "." + extension};
}

AnsiString FreeName(const AnsiString& folder, const NameParts& name, const NameTest& taken) {
  const std::size_t longest = LongestNameIn(folder);
  AnsiString candidate = Fitting("", name.Stem, name.Suffix, longest);
  for (int n = 1; taken(folder + candidate); ++n)
    candidate = Fitting("[" + IntToStr(n) + "]", name.Stem, name.Suffix, longest);
  return folder + candidate;
}

AnsiString FreeOutputName(const AnsiString& source, const AnsiString& folder, const AnsiString& extension) {
  // A folder of that name blocks the move as surely as a file does.
  return FreeName(folder, OutputNameParts(source, extension), PathIsTaken);
}

}  // namespace batch
