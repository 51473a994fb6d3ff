// The command: banner, options, names, and one translation.

#ifndef MORVANE_DRIVER_RUN_H_
#define MORVANE_DRIVER_RUN_H_

#include <string>
#include <vector>

#include "driver/run_state.h"

namespace morvane {

// Runs the command line args (args[0] is the program's name) and returns
// the exit status: 0 after a complete note list, 1 after any failure (its
// message written) or when no score was named. Options come before the
// names, in any order, each only where no file of its name exists:
// --all-tracks or -a (every track with notes an instrument), --quiet or -q
// (RunState::quiet), --sync (RunState::sync).
int run(RunState& state, std::vector<std::string> args);

}  // namespace morvane

#endif  // MORVANE_DRIVER_RUN_H_
