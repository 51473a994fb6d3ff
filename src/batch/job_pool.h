// A fixed pool of threads that takes jobs by number, each once, in order:
// a batch holds only the work of the jobs in flight, however many there
// are.

#ifndef MORVANE_BATCH_JOB_POOL_H_
#define MORVANE_BATCH_JOB_POOL_H_

#include <chrono>
#include <cstddef>
#include <functional>

namespace morvane::batch {

// Calls work(i) once for each i in [0, count) on up to `threads` threads
// (fewer when the system gives fewer; the calling thread works alone when
// it gives none), and while they work calls waiting() on the calling
// thread about every `every`. Once stopped() is true no job is taken any
// more. Returns when every job taken is done. work must not throw.
void run_pool(std::size_t count, unsigned threads,
              const std::function<void(std::size_t)>& work,
              const std::function<void()>& waiting,
              std::chrono::milliseconds every,
              const std::function<bool()>& stopped);

}  // namespace morvane::batch

#endif  // MORVANE_BATCH_JOB_POOL_H_
