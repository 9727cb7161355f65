// The file that every engine run writes before the batch moves it into place. Each running copy
// of the program has its own, so that two copies never write into each other's output.
#pragma once

#include "framework/sysutils.h"

namespace batch {

// The folder of the temporary files, as the user would look for it (with a trailing delimiter).
AnsiString TemporaryFolder();

// Short form of the temporary root + "wyl-<process id>." + extension, ready for a command line.
AnsiString TemporaryOutputFile(const AnsiString& extension);

// The file of one of several engines that this copy runs at once: "wyl-<process id>-<job>." +
// extension in the same folder.
AnsiString TemporaryOutputFile(const AnsiString& extension, int job);

// Removes what the engine of that job wrote or left (whole or partial), while it does not run.
void RemoveTemporaryFiles(int job);

// Removes every temporary file of this copy: whole or partial outputs of its engine runs (the
// engine writes beside the name it was given, under names that begin with it). Only while no
// engine of this copy runs.
void RemoveTemporaryFiles();

// Removes the temporary files that copies of the program that no longer run left behind; those of
// a running copy stay. A process that still writes one of them (an engine that outlived its copy)
// is ended first. (Short names are the system's: it clears away its own.)
void RemoveAbandonedTemporaryFiles();

}  // namespace batch
