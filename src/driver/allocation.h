// Where a run asks for memory it has a message for, and the one place a
// test can make such a request fail (RunState::fail_at names the site).

#ifndef MORVANE_DRIVER_ALLOCATION_H_
#define MORVANE_DRIVER_ALLOCATION_H_

#include <new>
#include <stdexcept>
#include <string_view>

#include "driver/console.h"
#include "driver/run_state.h"

namespace morvane {

// True when a test has made site fail.
inline bool made_to_fail(const RunState& state, FailPoint site) {
  return state.fail_at == site;
}

// Runs allocate(), which may throw std::bad_alloc or std::length_error;
// returns whether it got its memory.
template <typename Allocate>
bool try_allocate(const RunState& state, FailPoint site, Allocate allocate) {
  if (made_to_fail(state, site)) return false;
  try {
    allocate();
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

// Runs allocate(), or, when it cannot get its memory, writes message (as
// say_memory does) and ends the run with status 1.
template <typename Allocate>
void allocate_or_fail(RunState& state, FailPoint site, std::string_view message,
                      Allocate allocate) {
  if (!try_allocate(state, site, allocate)) fail_on_out(state, message);
}

}  // namespace morvane

#endif  // MORVANE_DRIVER_ALLOCATION_H_
