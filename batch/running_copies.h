// Other copies of the program, known by the process ids in the names of what they leave behind.
#pragma once

#include "framework/sysutils.h"

namespace batch {

// Whether a process of that id runs; one the system will not let us look at counts as running.
bool ProcessIsRunning(DWORD processId);

// The process id written in decimal in name from position `from` up to `end` (npos: to the end);
// 0 when that part is empty, too long or not all digits.
DWORD ProcessIdIn(const AnsiString& name, std::size_t from, std::size_t end = AnsiString::npos);

}  // namespace batch
