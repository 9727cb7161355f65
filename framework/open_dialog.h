// TOpenDialog: the file-open dialog, through the dialog service; and the filter it offers.
#pragma once

#include <vector>

#include "framework/components.h"
#include "framework/sysutils.h"

constexpr int ofReadOnly = 0x0001;
constexpr int ofHideReadOnly = 0x0004;
constexpr int ofAllowMultiSelect = 0x0200;
constexpr int ofPathMustExist = 0x0800;
constexpr int ofFileMustExist = 0x1000;
constexpr int ofEnableSizing = 0x00800000;

// One entry of a filter "description|patterns|...": patterns separated by ";".
struct TFilterEntry {
  AnsiString Description;
  std::vector<AnsiString> Patterns;
};
std::vector<TFilterEntry> ParseFilter(const AnsiString& filter);
// A file name against a pattern with * and ?, without regard to letter case; "*.*" matches every name.
bool MatchesMask(const AnsiString& fileName, const AnsiString& mask);
bool FilterEntryMatches(const TFilterEntry& entry, const AnsiString& fileName);

class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* owner);

  AnsiString Filter;
  int FilterIndex = 1;  // counts from 1
  int Options = ofHideReadOnly | ofEnableSizing;
  AnsiString Title;
  AnsiString InitialDir;
  AnsiString DefaultExt;
  AnsiString FileName;            // the first chosen file
  std::vector<AnsiString> Files;  // every chosen file

  // False when the user cancelled.
  bool Execute();

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;
};
