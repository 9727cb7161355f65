// The layering as docs/ARCHITECTURE.md states it: the one table under "Who may use whom", one row
// per layer from the top down, read into rules that an include can be checked against.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace architecture {

struct Layer {
  std::string folder;                   // "platform/dshow/"
  std::vector<std::string> mayInclude;  // folders ("framework/") or single headers ("a/b.h"), below it
  std::set<std::string> seenThrough;    // headers others may include, relative to the folder; empty: all
  std::set<std::string> libraries;      // "Qt", "FFmpeg", "SDL", "libjpeg", "POSIX"
  int line = 0;                         // in the page
};

struct LayerTable {
  std::vector<Layer> layers;  // top first

  // The layer a path of the source tree belongs to (the longest folder that holds it); null when
  // no row holds it.
  const Layer* LayerOf(const std::string& path) const;
  int RankOf(const Layer& layer) const;  // 0 for the top row
};

// Reads the table from the page's text. Fails (with the reason in `error`) when the page has no
// such table or a row cannot be read.
std::optional<LayerTable> ReadLayerTable(const std::string& page, std::string& error);

// What is wrong with the table itself: an entry that names no row, or a row that may include one
// at its own height or above it.
std::vector<std::string> TableFaults(const LayerTable& table);

}  // namespace architecture
