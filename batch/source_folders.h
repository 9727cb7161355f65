// What a folder holds, in the order a file manager lists it: the files that the batch would take
// from a folder that is added, dropped or named.
#pragma once

#include <functional>
#include <vector>

#include "framework/sysutils.h"

namespace batch {

// Letter case aside first, then by letter case.
bool InNameOrder(const AnsiString& a, const AnsiString& b);

// The full paths of the files of the folder itself whose names accept() takes, in name order.
std::vector<AnsiString> FilesInFolder(const AnsiString& folder, const std::function<bool(const AnsiString&)>& accept);

// The full paths of the folder's own subfolders, in name order.
std::vector<AnsiString> FoldersInFolder(const AnsiString& folder);

}  // namespace batch
