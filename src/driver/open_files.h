// Settles the score and note-list names from the command line and opens
// both files, the score first.

#ifndef MORVANE_DRIVER_OPEN_FILES_H_
#define MORVANE_DRIVER_OPEN_FILES_H_

#include <string>
#include <vector>

#include "driver/run_state.h"

namespace morvane {

// args[0] is the program's name. One argument: the score, and the note list
// is asked for at the keyboard. Two: score and note list. Three or more: the
// usage text, and the run goes on with empty names (and so fails to open the
// score). A score already in state.input (bytes held in memory) is not
// opened again. Ends the run when a file cannot be opened, or when the note
// list would be the score itself.
void open_files(RunState& state, const std::vector<std::string>& args);

}  // namespace morvane

#endif  // MORVANE_DRIVER_OPEN_FILES_H_
