#include "cli/parallel_tasks.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "cli/stop_request.h"

namespace cli {

void RunTasks(std::size_t count, int workers, const std::function<void(std::size_t index, int slot)>& task,
              const std::function<void()>& tick, std::chrono::milliseconds interval) {
  std::mutex mutex;
  std::condition_variable changed;
  // Guarded by mutex:
  std::size_t next = 0;
  int running = 0;
  bool taskEnded = false;

  const int threadCount =
      static_cast<int>(std::min<std::size_t>(count, static_cast<std::size_t>(std::max(workers, 1))));
  std::vector<std::thread> threads;
  running = threadCount;
  for (int slot = 0; slot < threadCount; ++slot) {
    threads.emplace_back([&, slot] {
      for (;;) {
        std::size_t index = 0;
        {
          std::lock_guard lock(mutex);
          if (next == count || StopRequested()) break;
          index = next++;
        }
        task(index, slot);
        std::lock_guard lock(mutex);
        taskEnded = true;
        changed.notify_all();
      }
      std::lock_guard lock(mutex);
      --running;
      changed.notify_all();
    });
  }
  for (;;) {
    bool allEnded = false;
    {
      std::unique_lock lock(mutex);
      changed.wait_for(lock, interval, [&] { return taskEnded || running == 0; });
      taskEnded = false;
      allEnded = running == 0;
    }
    tick();
    if (allEnded) break;
  }
  for (std::thread& thread : threads) thread.join();
}

}  // namespace cli
