// The batch's output names, under the name the main window's unit gives them.
#pragma once

#include "batch/output_naming.h"

inline AnsiString UniqueFileName(const AnsiString& source, const AnsiString& folder, const AnsiString& extension) {
  return batch::FreeOutputName(source, folder, extension);
}
