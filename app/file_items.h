// The source list's record store, parallel to the rows of the main window's list.
#pragma once

#include <vector>

#include "framework/sysutils.h"

struct TFileItem {
  AnsiString SourcePath;    // exactly as the open dialog returned it
  int BeginSeconds = 0;     // zero when added; the range itself lives in the row texts
  int DurationSeconds = 0;  // whole seconds as probed, plus one
};

using TFileItems = std::vector<TFileItem>;

extern TFileItems FileItems;

// The main window's count label: "Added 3 file(s).".
AnsiString AddedFilesText(int rows);
