// Settles the score and note-list names of a translation and opens both
// files, the score first.

#ifndef MORVANE_DRIVER_OPEN_FILES_H_
#define MORVANE_DRIVER_OPEN_FILES_H_

#include "driver/run_state.h"
#include "driver/translate.h"

namespace morvane {

// Takes the names from request, the note list's asked for at the keyboard
// when request names none, and opens the score (unless request or
// state.input holds it already) and the note list. Ends the run when a file
// cannot be opened, or when the note list would be the score itself.
void open_files(RunState& state, TranslationRequest& request);

}  // namespace morvane

#endif  // MORVANE_DRIVER_OPEN_FILES_H_
