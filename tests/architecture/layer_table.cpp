#include "tests/architecture/layer_table.h"

#include <sstream>

namespace architecture {
namespace {

constexpr const char* kSection = "## Who may use whom";

std::vector<std::string> Cells(const std::string& row) {
  std::vector<std::string> cells;
  std::size_t start = row.find('|');
  while (start != std::string::npos) {
    const std::size_t end = row.find('|', start + 1);
    if (end == std::string::npos) break;
    cells.push_back(row.substr(start + 1, end - start - 1));
    start = end;
  }
  return cells;
}

// The `quoted` names of a cell, in order.
std::vector<std::string> Quoted(const std::string& cell) {
  std::vector<std::string> names;
  for (std::size_t open = cell.find('`'); open != std::string::npos; open = cell.find('`', open + 1)) {
    const std::size_t close = cell.find('`', open + 1);
    if (close == std::string::npos) break;
    names.push_back(cell.substr(open + 1, close - open - 1));
    open = close;
  }
  return names;
}

// The plain words of a cell (libraries), without separators and dashes.
std::set<std::string> Words(const std::string& cell) {
  std::set<std::string> words;
  std::string word;
  std::istringstream in(cell);
  while (in >> word) {
    while (!word.empty() && (word.back() == ',' || word.back() == '.')) word.pop_back();
    if (!word.empty() && word != "-" && word != "—") words.insert(word);
  }
  return words;
}

int ColumnOf(const std::vector<std::string>& header, const std::string& name) {
  for (std::size_t i = 0; i < header.size(); ++i)
    if (header[i].find(name) != std::string::npos) return static_cast<int>(i);
  return -1;
}

bool IsFolder(const std::string& entry) { return !entry.empty() && entry.back() == '/'; }

}  // namespace

const Layer* LayerTable::LayerOf(const std::string& path) const {
  const Layer* best = nullptr;
  for (const Layer& layer : layers) {
    if (path.rfind(layer.folder, 0) == 0 && (!best || layer.folder.size() > best->folder.size())) best = &layer;
  }
  return best;
}

int LayerTable::RankOf(const Layer& layer) const { return static_cast<int>(&layer - layers.data()); }

std::optional<LayerTable> ReadLayerTable(const std::string& page, std::string& error) {
  std::istringstream in(page);
  std::string line;
  int number = 0;
  bool inSection = false;
  std::vector<std::string> header;
  int layerColumn = -1, includeColumn = -1, seenColumn = -1, libraryColumn = -1;
  LayerTable table;
  while (std::getline(in, line)) {
    ++number;
    if (line.rfind("## ", 0) == 0) {
      if (inSection && !table.layers.empty()) break;
      inSection = line.rfind(kSection, 0) == 0;
      continue;
    }
    if (!inSection) continue;
    if (line.empty() || line[0] != '|') {
      if (!table.layers.empty()) break;  // the table has ended
      continue;
    }
    const std::vector<std::string> cells = Cells(line);
    if (header.empty()) {
      header = cells;
      layerColumn = ColumnOf(header, "Layer");
      includeColumn = ColumnOf(header, "May include");
      seenColumn = ColumnOf(header, "Seen from above through");
      libraryColumn = ColumnOf(header, "Libraries");
      if (layerColumn < 0 || includeColumn < 0 || seenColumn < 0 || libraryColumn < 0) {
        error = "line " + std::to_string(number) +
                ": the table needs the columns Layer, May include, Seen from above through, Libraries";
        return std::nullopt;
      }
      continue;
    }
    if (line.rfind("|--", 0) == 0 || line.rfind("| --", 0) == 0) continue;
    if (cells.size() != header.size()) {
      error = "line " + std::to_string(number) + ": a row with " + std::to_string(cells.size()) + " cells";
      return std::nullopt;
    }
    const std::vector<std::string> names = Quoted(cells[layerColumn]);
    if (names.size() != 1 || !IsFolder(names[0])) {
      error = "line " + std::to_string(number) + ": the Layer cell must name one folder, like `app/`";
      return std::nullopt;
    }
    Layer layer;
    layer.folder = names[0];
    layer.mayInclude = Quoted(cells[includeColumn]);
    for (const std::string& header : Quoted(cells[seenColumn])) layer.seenThrough.insert(header);
    layer.libraries = Words(cells[libraryColumn]);
    layer.line = number;
    table.layers.push_back(std::move(layer));
  }
  if (table.layers.empty()) {
    error = std::string("no table under \"") + kSection + "\"";
    return std::nullopt;
  }
  return table;
}

std::vector<std::string> TableFaults(const LayerTable& table) {
  std::vector<std::string> faults;
  for (const Layer& layer : table.layers) {
    for (const std::string& entry : layer.mayInclude) {
      const Layer* target = table.LayerOf(entry);
      const std::string where = "line " + std::to_string(layer.line) + ": " + layer.folder + " may include " + entry;
      if (!target || (IsFolder(entry) && target->folder != entry)) {
        faults.push_back(where + ", which is no layer of the table");
      } else if (table.RankOf(*target) <= table.RankOf(layer)) {
        faults.push_back(where + ", which is not below it");
      }
    }
  }
  return faults;
}

}  // namespace architecture
