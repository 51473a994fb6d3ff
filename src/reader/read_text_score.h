// The reader of a MIDI text score: one pass over its lines, each classified
// (line_scan.h) and read by the section rules (track_sections.h).

#ifndef MORVANE_READER_READ_TEXT_SCORE_H_
#define MORVANE_READER_READ_TEXT_SCORE_H_

#include "driver/run_state.h"

namespace morvane {

// Reads state.input to its end: fills a new event table in input order, sets
// state.division, writes the list's header and instrument lines. Ends the run
// on empty or bad input, a number out of range, a read error or no memory.
void read_text_score(RunState& state);

}  // namespace morvane

#endif  // MORVANE_READER_READ_TEXT_SCORE_H_
