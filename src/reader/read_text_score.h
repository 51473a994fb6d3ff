// The reader of a MIDI text score: one pass over its lines, each classified
// (line_scan.h) and read by the section rules (track_sections.h).
//
// Example: the score
//   MFile 1 2 480
//   MTrk
//   0 Meta TrkName Flute
//   0 On ch=1 n=72 v=80
//   480 On ch=1 n=72 v=0
//   480 Meta TrkEnd
//   TrkEnd
// gives division 480, the instrument "Flute " and two events.

#ifndef MORVANE_READER_READ_TEXT_SCORE_H_
#define MORVANE_READER_READ_TEXT_SCORE_H_

#include "driver/run_state.h"

namespace morvane {

// Reads the lines of state.input to their end: creates the event table and
// fills it in input order, sets state.division, writes the note list's
// header and instrument lines. Ends the run on an empty or badly formed
// input, a number out of range, a read error, or when memory runs out.
void read_text_score(RunState& state);

}  // namespace morvane

#endif  // MORVANE_READER_READ_TEXT_SCORE_H_
