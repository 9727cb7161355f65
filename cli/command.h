// One run of the command, from the checked options to its exit code.
#pragma once

#include "cli/options.h"

namespace cli {

inline constexpr int kUsageExit = 2;

// Finds the sources, probes them, and lists their tracks, says what would be written, or converts
// them, as the options ask. Returns the exit code: 0 all converted, 1 some failed, 2 the output
// folder cannot take files, 130 interrupted.
int RunCommand(const Options& options);

}  // namespace cli
