// The conversion engine's work folder: written from the program's own resources on the first start.
#pragma once

#include "framework/sysutils.h"

// The work folder's short form with trailing delimiter; engine command lines start with
// EnginePath + "nnn.exe".
extern AnsiString EnginePath;

// Writes the engine files into the work folder when the folder is missing or holds another engine
// than the program carries, then sets EnginePath. Raises EFCreateError when a file cannot be
// written.
void DeployEngine();
// The work folder: the Windows directory + "\wyl\" (with the platform's delimiter).
AnsiString WorkFolder();
// The short form of an existing path (a folder keeps its trailing delimiter); the path itself
// when the system has no short form for it.
AnsiString ShortPathName(const AnsiString& path);
