// Console messages of a run. Standard output is flushed before anything
// reaches standard error, so on a terminal the two streams interleave in the
// order the program writes them. With --quiet (RunState::quiet) standard
// output carries only what the user asked for (the prompt, the help, a note
// list named /dev/stdout), and every message goes to standard error.

#ifndef MORVANE_DRIVER_CONSOLE_H_
#define MORVANE_DRIVER_CONSOLE_H_

#include <string_view>

#include "driver/run_state.h"

namespace morvane {

// Writes text to standard output and flushes it; nothing with --quiet. For
// the banner and what a run tells as it goes.
void say(RunState& state, std::string_view text);

// Writes text to standard output and flushes it, also with --quiet.
void say_always(RunState& state, std::string_view text);

// Writes a message about memory to standard output, or with --quiet to
// standard error (flushing standard output first, as complain does).
void say_memory(RunState& state, std::string_view text);

// Flushes standard output, then writes text to standard error.
void complain(RunState& state, std::string_view text);

// Writes text to standard error and ends the run with status 1 and a
// RunFailure of kind, concerning the file name (if any), with the system's
// error_number (if any).
[[noreturn]] void fail(RunState& state, FailureKind kind, std::string_view text,
                       std::string name = {}, int error_number = 0);

// Writes a message about memory (say_memory) and ends the run with status 1:
// the run is out of memory.
[[noreturn]] void fail_on_out(RunState& state, std::string_view text);

}  // namespace morvane

#endif  // MORVANE_DRIVER_CONSOLE_H_
