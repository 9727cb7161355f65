// Names of converted files: the source's name with the new extension, made free with a prefix.
#pragma once

#include "framework/sysutils.h"

namespace batch {

// folder (ending in a delimiter) + the source's file name with its extension replaced, prefixed
// "[1]", "[2]", ... until the name is free: clip.avi gives clip.mp3, [1]clip.mp3, [2]clip.mp3...
AnsiString FreeOutputName(const AnsiString& source, const AnsiString& folder, const AnsiString& extension);

// Whether anything (file or folder) already has this name.
bool PathIsTaken(const AnsiString& path);

}  // namespace batch
