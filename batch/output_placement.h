// Putting converted files in place: the output folder and the final move of each file.
#pragma once

#include <functional>

#include "framework/sysutils.h"

namespace batch {

// Creates the folder with every missing level. Returns ERROR_SUCCESS, or the system's error for
// the level that could not be made, which failedLevel then names (a file in the way reads as
// ERROR_ALREADY_EXISTS).
DWORD CreateFolderPath(const AnsiString& folder, AnsiString& failedLevel);

// Creates the folder with every missing level. Empty when it is there afterwards; otherwise why
// not, in words for the user.
AnsiString FolderCreationProblem(const AnsiString& folder);

// Whether a new file can be made in the folder (ending in a delimiter): empty when one can,
// otherwise the system's reason. Leaves nothing behind.
AnsiString FileCreationProblem(const AnsiString& folder);

// Moves the finished file to target without replacing anything; when a file of that name has
// appeared since it was chosen, to the next free name for the source (target then names it).
// Returns ERROR_SUCCESS or the move's error.
DWORD MoveOutputIntoPlace(const AnsiString& finished, const AnsiString& source, const AnsiString& folder,
                          const AnsiString& extension, AnsiString& target);

// The same, with the next name to try after a taken one given by nextFreeName.
DWORD MoveOutputIntoPlace(const AnsiString& finished, const std::function<AnsiString()>& nextFreeName,
                          AnsiString& target);

}  // namespace batch
