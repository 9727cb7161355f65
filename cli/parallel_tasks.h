// Numbered tasks run on a few threads at once, while the calling thread keeps the user informed.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>

namespace cli {

// Runs task(index, slot) for every index below count, in order of index, on up to workers
// threads at once; slot (from 0) names the thread, so that what a task keeps per thread (a
// temporary file, say) is never shared. No new task starts once a stop is requested. Meanwhile
// the calling thread calls tick() at least every interval and at once after each task has
// ended, then once more when all have.
void RunTasks(std::size_t count, int workers, const std::function<void(std::size_t index, int slot)>& task,
              const std::function<void()>& tick, std::chrono::milliseconds interval = std::chrono::milliseconds(100));

}  // namespace cli
