// Console messages of a run. Standard output is flushed before anything
// reaches standard error, so on a terminal the two streams interleave in the
// order the program writes them.

#ifndef MORVANE_DRIVER_CONSOLE_H_
#define MORVANE_DRIVER_CONSOLE_H_

#include <string_view>

#include "driver/run_state.h"

namespace morvane {

// Writes text to standard output and flushes it.
void say(RunState& state, std::string_view text);

// Flushes standard output, then writes text to standard error.
void complain(RunState& state, std::string_view text);

// Writes text to standard error and ends the run with status 1 and a
// RunFailure of kind, concerning the file name (if any), with the system's
// error_number (if any).
[[noreturn]] void fail(RunState& state, FailureKind kind, std::string_view text,
                       std::string name = {}, int error_number = 0);

// Writes text to standard output, where memory messages go, and ends the run
// with status 1: the run is out of memory.
[[noreturn]] void fail_on_out(RunState& state, std::string_view text);

}  // namespace morvane

#endif  // MORVANE_DRIVER_CONSOLE_H_
