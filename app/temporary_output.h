// The file that every engine run writes before the batch moves it into place. Each running copy
// of the program has its own, so that two copies never write into each other's output.
#pragma once

#include "framework/sysutils.h"

// Short form of the temporary root + "wyl-<process id>." + extension, ready for a command line.
AnsiString TemporaryOutputFile(const AnsiString& extension);
