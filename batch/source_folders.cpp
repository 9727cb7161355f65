#include "batch/source_folders.h"

#include <algorithm>

#include "platform/win32/kernel32.h"

namespace batch {
namespace {

// The names in the folder that are folders (or are not), in name order, as full paths.
std::vector<AnsiString> Listed(const AnsiString& folder, bool folders,
                               const std::function<bool(const AnsiString&)>& accept) {
  const AnsiString base = IncludeTrailingPathDelimiter(folder);
  std::vector<AnsiString> names;
  WIN32_FIND_DATAA found{};
  const HANDLE find = FindFirstFileA((base + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const AnsiString name = found.cFileName;
    if (name != "." && name != ".." && DirectoryExists(base + name) == folders && accept(name)) names.push_back(name);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  std::sort(names.begin(), names.end(), InNameOrder);
  for (AnsiString& name : names) name = base + name;
  return names;
}

}  // namespace

bool InNameOrder(const AnsiString& a, const AnsiString& b) {
  const AnsiString lowerA = LowerCase(a), lowerB = LowerCase(b);
  return lowerA != lowerB ? lowerA < lowerB : a < b;
}

std::vector<AnsiString> FilesInFolder(const AnsiString& folder, const std::function<bool(const AnsiString&)>& accept) {
  return Listed(folder, false, accept);
}

std::vector<AnsiString> FoldersInFolder(const AnsiString& folder) {
  return Listed(folder, true, [](const AnsiString&) { return true; });
}

}  // namespace batch
