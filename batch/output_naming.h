// Names of converted files: the source's name with the new extension, made free with a prefix.
#pragma once

#include "framework/sysutils.h"

namespace batch {

// folder (ending in a delimiter) + the source's file name with its extension replaced, prefixed
// "[1]", "[2]", ... until the name is free: clip.avi gives clip.mp3, [1]clip.mp3, [2]clip.mp3...
// A name longer than the folder's file system takes loses the end of the source's name, never the
// extension or the prefix.
AnsiString FreeOutputName(const AnsiString& source, const AnsiString& folder, const AnsiString& extension);

// Whether anything (file, folder, a symbolic link even to nothing) already has this name.
bool PathIsTaken(const AnsiString& path);

// The longest file name, in bytes, that the file system holding the folder takes.
std::size_t LongestNameIn(const AnsiString& folder);

}  // namespace batch
