// Names of converted files: the source's name with the new extension, made free with a prefix.
#pragma once

#include <functional>

#include "framework/sysutils.h"

namespace batch {

// folder (ending in a delimiter) + the source's file name with its extension replaced, prefixed
// "[1]", "[2]", ... until the name is free: clip.avi gives clip.mp3, [1]clip.mp3, [2]clip.mp3...
AnsiString FreeOutputName(const AnsiString& source, const AnsiString& folder, const AnsiString& extension);

// Whether anything (file or folder) already has this name.
bool PathIsTaken(const AnsiString& path);

// The source's file name with its extension replaced: clip.avi gives clip.mp3, a.avi.avi a.avi.mp3.
AnsiString OutputBaseName(const AnsiString& source, const AnsiString& extension);

// The name of the index-th (from 1) of count ranges of one source: clip-1.mp3, clip-2.mp3, with
// numbers padded to the width of count so that the ranges list together and in order. One range
// alone is named as the whole file would be.
AnsiString RangeOutputBaseName(const AnsiString& source, const AnsiString& extension, int index, int count);

// folder + base, or the first of [1]base, [2]base, ... that taken() refuses.
using NameTest = std::function<bool(const AnsiString& path)>;
AnsiString FreeName(const AnsiString& folder, const AnsiString& base, const NameTest& taken);

}  // namespace batch
