#include "framework/open_dialog.h"

#include <cctype>

#include "framework/dialogs.h"
#include "framework/layout_value.h"

std::vector<TFilterEntry> ParseFilter(const AnsiString& filter) {
  std::vector<AnsiString> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar == AnsiString::npos ? AnsiString::npos : bar - start));
    if (bar == AnsiString::npos) break;
    start = bar + 1;
  }
  std::vector<TFilterEntry> entries;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    TFilterEntry entry{parts[i], {}};
    std::size_t from = 0;
    const AnsiString& patterns = parts[i + 1];
    while (from <= patterns.size()) {
      const std::size_t semicolon = patterns.find(';', from);
      AnsiString pattern =
          Trim(patterns.substr(from, semicolon == AnsiString::npos ? AnsiString::npos : semicolon - from));
      if (!pattern.empty()) entry.Patterns.push_back(pattern);
      if (semicolon == AnsiString::npos) break;
      from = semicolon + 1;
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

namespace {
bool Match(const char* name, const char* mask) {
  for (; *mask; ++mask) {
    if (*mask == '*') {
      while (mask[1] == '*') ++mask;
      for (const char* rest = name;; ++rest) {
        if (Match(rest, mask + 1)) return true;
        if (!*rest) return false;
      }
    }
    if (!*name) return false;
    if (*mask != '?' &&
        std::tolower(static_cast<unsigned char>(*mask)) != std::tolower(static_cast<unsigned char>(*name)))
      return false;
    ++name;
  }
  return !*name;
}
}  // namespace

bool MatchesMask(const AnsiString& fileName, const AnsiString& mask) {
  if (mask == "*.*" || mask == "*") return true;
  return Match(fileName.c_str(), mask.c_str());
}

bool FilterEntryMatches(const TFilterEntry& entry, const AnsiString& fileName) {
  for (const AnsiString& pattern : entry.Patterns)
    if (MatchesMask(ExtractFileName(fileName), pattern)) return true;
  return false;
}

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner) {}

bool TOpenDialog::Execute() {
  OpenDialogRequest request;
  request.title = Title;
  request.filter = Filter;
  request.filterIndex = FilterIndex;
  request.initialDir = InitialDir;
  request.multiSelect = (Options & ofAllowMultiSelect) != 0;
  request.hideReadOnly = (Options & ofHideReadOnly) != 0;
  request.resizable = (Options & ofEnableSizing) != 0;
  request.defaultExt = DefaultExt;
  std::vector<AnsiString> chosen;
  if (!Dialogs().OpenFiles(request, chosen) || chosen.empty()) return false;
  Files = std::move(chosen);
  FileName = Files.front();
  return true;
}

void TOpenDialog::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  static const std::pair<const char*, int> options[] = {{"ofReadOnly", ofReadOnly},
                                                        {"ofHideReadOnly", ofHideReadOnly},
                                                        {"ofAllowMultiSelect", ofAllowMultiSelect},
                                                        {"ofPathMustExist", ofPathMustExist},
                                                        {"ofFileMustExist", ofFileMustExist},
                                                        {"ofEnableSizing", ofEnableSizing}};
  if (name == "Filter") {
    // a list of description, patterns pairs
    const std::vector<AnsiString> parts = value.Strings();
    if (parts.size() % 2 != 0) value.Fail("Filter takes pairs of description and patterns");
    AnsiString filter;
    for (std::size_t i = 0; i < parts.size(); ++i) filter += (i ? "|" : "") + parts[i];
    Filter = filter;
  } else if (name == "FilterIndex") {
    FilterIndex = value.Int();
  } else if (name == "Options") {
    Options = 0;
    if (value.kind != TLayoutValue::Kind::Identifier || value.Ident() != "none")
      for (const TLayoutValue& item : value.Items()) Options |= item.Enum(options);
  } else if (name == "Title") {
    Title = value.Str();
  } else if (name == "InitialDir") {
    InitialDir = value.Str();
  } else if (name == "DefaultExt") {
    DefaultExt = value.Str();
  } else {
    TComponent::SetLayoutProperty(name, value);
  }
}
