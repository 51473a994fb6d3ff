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
              std::chrono::milliseconds every,
              const std::function<bool()>& stopped) {
  std::atomic<std::size_t> next{0};
  auto take_jobs = [&] {
    for (std::size_t i; !stopped() && (i = next++) < count;) work(i);
  };
  std::mutex mutex;
  std::condition_variable one_ended;
  std::size_t ended = 0;  // threads done taking jobs, under mutex
  auto worker = [&] {
    take_jobs();
    std::lock_guard<std::mutex> lock(mutex);
    ++ended;
    one_ended.notify_one();
  };
  std::vector<std::thread> pool;
  const std::size_t wanted = std::min<std::size_t>(threads, count);
  try {
    while (pool.size() < wanted) pool.emplace_back(worker);
  } catch (const std::system_error&) {
    // Fewer threads than asked for: those started share the jobs.
  }
  if (pool.empty()) {
    take_jobs();
  } else {
    std::unique_lock<std::mutex> lock(mutex);
    while (!one_ended.wait_for(lock, every,
                               [&] { return ended == pool.size(); })) {
      lock.unlock();
      waiting();
      lock.lock();
    }
  }
  for (std::thread& thread : pool) thread.join();
}

}  // namespace morvane::batch
