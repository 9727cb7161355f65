// The conversion engine on disk: its work folder, written from the program's own resources, and
// the short path forms that every engine command line is made of.
#pragma once

#include <functional>

#include "framework/sysutils.h"

namespace batch {

// The Windows directory + "\wyl\" (with the platform's delimiter).
AnsiString EngineFolder();

// Writes the engine files into the work folder when the folder is missing, and replaces those whose
// copy there differs from what the program carries (an upgraded program, an older engine); first
// removes what deployments interrupted by a crash left. Raises EFCreateError when a file cannot
// be written or the folder cannot take its place.
void WriteEngineFiles();

// The short form of an existing path (a folder keeps its trailing delimiter); the path itself
// when the system has no short form for it.
AnsiString ShortPath(const AnsiString& path);

// The runner ends the process when it cannot start the engine (after its message). This makes it
// run cleanup first and end with exitCode, for a caller whose exit code others read.
void EndWithCodeWhenEngineCannotStart(std::function<void()> cleanup, int exitCode);

}  // namespace batch
