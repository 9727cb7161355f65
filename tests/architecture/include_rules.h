// Checking the #include lines of one source file against the layer table: quoted headers of the
// tree against the layers a file's layer may include and what those show; headers from outside
// the tree against the libraries its layer may use.
#pragma once

#include <string>
#include <vector>

#include "tests/architecture/layer_table.h"

namespace architecture {

// The outside library a system header (<...>) belongs to: "Qt", "FFmpeg", "SDL", "libjpeg",
// "POSIX"; "" for the C and C++ standard libraries; "?" for one the table cannot name.
std::string LibraryOf(const std::string& header);

// What is wrong with the includes of the file at `path` (relative to the source tree) whose text
// is `text`: one line per fault, "path:line: ...".
std::vector<std::string> IncludeFaults(const LayerTable& table, const std::string& path, const std::string& text);

}  // namespace architecture
