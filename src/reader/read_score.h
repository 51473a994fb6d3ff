// The score reader: one pass over the MIDI text lines of the input.
//
// From the header line it takes the division (ticks per quarter note); each
// track-name line "0 Meta TrkName ..." (in a format 0 score also
// "0 Meta SeqName ...") names an instrument (echoed to the console and the
// note list) and opens a track section. In a section, the note lines (kind
// word On or Off) are the events, an Off line always a note's end, until a
// "Meta TrkEnd" line closes it; other lines only set the fields that later
// lines may leave out. Lines outside sections are passed over, but for a
// track's note lines of time 0 listed before its name line: they wait for
// the name, and are read right after it (track_sections.h, track_waits).

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
