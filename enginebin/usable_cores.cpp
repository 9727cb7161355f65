#include "usable_cores.h"

#include <sched.h>
#include <unistd.h>

namespace enginebin {

int usable_cores() {
  cpu_set_t cores;
  CPU_ZERO(&cores);
  if (sched_getaffinity(0, sizeof cores, &cores) == 0) {
    const int count = CPU_COUNT(&cores);
    if (count > 0) return count;
  }
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<int>(online) : 1;
}

}  // namespace enginebin
