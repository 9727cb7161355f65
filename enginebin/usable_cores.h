#pragma once
// How many cores this process may run on.

namespace enginebin {

// The cores in the process's affinity mask (so `taskset -c 0` gives 1), at least 1.
int usable_cores();

}  // namespace enginebin
