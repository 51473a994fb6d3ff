// The note-list writer: one line per event whose velocity is not 0.

#ifndef MORVANE_WRITER_WRITE_NOTE_LIST_H_
#define MORVANE_WRITER_WRITE_NOTE_LIST_H_

#include "driver/run_state.h"

namespace morvane {

// Announces the output file on the console, then appends to the note list,
// for every slot in time order whose velocity is not 0, the line
//   start "%4.3f \t", channel - 1, note, velocity "%d\t" each, duration
//   "%4.3f\n"
// with a start's start_beats and duration from state.arrays; an event of
// negative velocity gives its time in ticks and its channel number instead.
void write_note_list(RunState& state);

}  // namespace morvane

#endif  // MORVANE_WRITER_WRITE_NOTE_LIST_H_
