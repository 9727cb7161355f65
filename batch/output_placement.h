// Putting converted files in place: the output folder and the final move of each file.
#pragma once

#include <atomic>
#include <functional>

#include "framework/sysutils.h"

namespace batch {

// Creates the folder with every missing level. Returns ERROR_SUCCESS, or the system's error for
// the level that could not be made, which failedLevel then names (a file in the way reads as
// ERROR_ALREADY_EXISTS).
DWORD CreateFolderPath(const AnsiString& folder, AnsiString& failedLevel);

// Whether a new file can be made in the folder (rights, a read-only disk): ERROR_SUCCESS, or the
// system's error for the file it tried. Leaves nothing behind.
DWORD FolderTakesNewFiles(const AnsiString& folder);

// Creates the folder with every missing level. Empty when it is there afterwards; otherwise why
// not, in words for the user.
AnsiString FolderCreationProblem(const AnsiString& folder);

// FolderTakesNewFiles in words: empty when the folder takes new files, otherwise the system's reason.
AnsiString FileCreationProblem(const AnsiString& folder);

// Moves the finished file to target without replacing anything; when a file of that name has
// appeared since it was chosen, to the next free name for the source (target then names it).
// Returns ERROR_SUCCESS or the move's error. A copy to another disk stops when cancelled becomes
// true (from any thread), removes what it wrote and returns ERROR_REQUEST_ABORTED.
DWORD MoveOutputIntoPlace(const AnsiString& finished, const AnsiString& source, const AnsiString& folder,
                          const AnsiString& extension, AnsiString& target, std::atomic<bool>* cancelled = nullptr);

// The same, with the next name to try after a taken one given by nextFreeName.
DWORD MoveOutputIntoPlace(const AnsiString& finished, const std::function<AnsiString()>& nextFreeName,
                          AnsiString& target, std::atomic<bool>* cancelled = nullptr);

}  // namespace batch
