// Names of converted files: the source's name with the new extension, made free with a prefix.
#pragma once

#include <functional>

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

// A name to make free: the stem may be shortened to fit, the suffix never is.
struct NameParts {
  AnsiString Stem;    // the source's name without its extension: "clip"
  AnsiString Suffix;  // ".mp3", or for one of several ranges "-2.mp3"
};

// The source's name with its extension replaced (clip.avi gives clip.mp3, a.avi.avi a.avi.mp3);
// for the index-th (from 1) of count ranges of one source clip-1.mp3, clip-2.mp3, the numbers
// padded to the width of count so that the ranges list together and in order. One range alone
// is named as the whole file would be.
NameParts OutputNameParts(const AnsiString& source, const AnsiString& extension, int index = 1, int count = 1);

// folder + the name, or the first of "[1]" + name, "[2]" + name, ... that taken() refuses; the
// stem shortened where the folder's file system needs it.
using NameTest = std::function<bool(const AnsiString& path)>;
AnsiString FreeName(const AnsiString& folder, const NameParts& name, const NameTest& taken);

}  // namespace batch
