#include "batch/job_pool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace morvane::batch {

void run_pool(std::size_t count, unsigned threads,
              const std::function<void(std::size_t)>& work,
              const std::function<void()>& waiting,
              std::chrono::milliseconds every) {
  std::atomic<std::size_t> next{0};
  std::mutex mutex;
  std::condition_variable all_done;
  std::size_t finished = 0;  // under mutex
  auto worker = [&] {
    for (std::size_t i = next++; i < count; i = next++) {
      work(i);
      std::lock_guard<std::mutex> lock(mutex);
      if (++finished == count) all_done.notify_one();
    }
  };
  std::vector<std::thread> pool;
  const std::size_t wanted = std::min<std::size_t>(threads, count);
  try {
    while (pool.size() < wanted) pool.emplace_back(worker);
  } catch (const std::system_error&) {
    // Fewer threads than asked for: those started share the jobs.
  }
  if (pool.empty()) {
    worker();
  } else {
    std::unique_lock<std::mutex> lock(mutex);
    while (!all_done.wait_for(lock, every, [&] { return finished == count; })) {
      lock.unlock();
      waiting();
      lock.lock();
    }
  }
  for (std::thread& thread : pool) thread.join();
}

}  // namespace morvane::batch
