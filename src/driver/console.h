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

// Writes text to standard error and ends the run with status.
[[noreturn]] void fail(RunState& state, std::string_view text, int status = 1);

// Writes text to standard output (memory messages go there) and ends the run.
[[noreturn]] void fail_on_out(RunState& state, std::string_view text,
                              int status = 1);

}  // namespace morvane

#endif  // MORVANE_DRIVER_CONSOLE_H_
