// A second thread for work that can also be done on the first.
//
// Every use of a second thread in a run is a speed device: the work it
// does could be done, later, by the thread that asked for it. So a thread
// the system cannot give (too many threads, no memory for a stack) is not a
// failure of the run: start_second_thread gives a thread that is not
// joinable, and the caller does the work itself.

#ifndef MORVANE_BASE_SECOND_THREAD_H_
#define MORVANE_BASE_SECOND_THREAD_H_

#include <system_error>
#include <thread>
#include <utility>

namespace morvane {

// Starts body on a thread of its own; returns a thread that is not
// joinable when refused is true (a test's wish) or none can be had.
template <typename Body>
std::thread start_second_thread(Body&& body, bool refused = false) {
  if (refused) return std::thread();
  try {
    return std::thread(std::forward<Body>(body));
  } catch (const std::system_error&) {
    return std::thread();
  }
}

}  // namespace morvane

#endif  // MORVANE_BASE_SECOND_THREAD_H_
