// The whole program: banner, names, and the stages of one translation.

#ifndef MORVANE_DRIVER_RUN_H_
#define MORVANE_DRIVER_RUN_H_

#include <functional>
#include <string>
#include <vector>

#include "driver/run_state.h"

namespace morvane {

// Runs one translation for the command line args (args[0] is the program's
// name) and returns the exit status: 0 after a complete note list, 1 after
// any failure (its message written) or when no score was named. Options come
// before the names, in any order, each only where no file of its name
// exists: --all-tracks or -a (every track with notes an instrument), --quiet
// or -q (RunState::quiet), --sync (RunState::sync).
int run(RunState& state, std::vector<std::string> args);

// Reads state.input with the reader of its kind. Throws RunFailure.
void read_score(RunState& state);

// The score's name as run_files hands it to run(): taken as a file even
// where it is one of the options ("./-a"), and so named in messages.
std::string score_argument(const std::string& score);

// Runs `morvane score notes` for callers that name files (the score by
// score_argument, all_tracks as the state says); returns the exit status.
int run_files(RunState& state, const std::string& score,
              const std::string& notes);

// The stages after the files are open: read, order, durations, write (the
// last three overlapped as shape says), and the check that the note list
// reached its file whole. Throws RunFailure.
void translate_open_files(RunState& state);

// Runs body and returns the status it ends the run with: 0 when it returns,
// the failure's status when it throws RunFailure, 1 (after a message) when
// memory runs out. Closes the note list, or on a failure abandons it.
int run_guarded(RunState& state, const std::function<void()>& body);

}  // namespace morvane

#endif  // MORVANE_DRIVER_RUN_H_
