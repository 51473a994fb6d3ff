// The score reader: one pass over the MIDI text lines of the input.
//
// From the header line it takes the division (ticks per quarter note); each
// track-name line "0 Meta TrkName ..." names an instrument (echoed to the
// console and the note list) and opens a track section; every line of a
// section becomes an event until a line whose kind word begins with "Meta"
// closes it. Lines outside sections are passed over.

#ifndef MORVANE_READER_READ_SCORE_H_
#define MORVANE_READER_READ_SCORE_H_

#include "driver/run_state.h"

namespace morvane {

// Reads state.input to its end: sets state.division, fills state.table in
// input order, writes the note list's header and instrument lines. Ends the
// run on an empty or badly formed input, a number out of range, or a read
// error.
void read_score(RunState& state);

}  // namespace morvane

#endif  // MORVANE_READER_READ_SCORE_H_
