// The score reader for a standard MIDI file: its events go straight into
// the section rules (reader/track_sections.h), each classified as the line
// a MIDI-file-to-text converter would write for it, with no text between
// but for the few track name lines.
//
// The result is, to the byte and the message, what reading the file's MIDI
// text rendering line by line gives: the same instruments, events, counts
// and failures, and a time past 2^31 - 1 is out of range in the line the
// rendering would hold it in. A damaged file is refused before anything of
// it is read.

#ifndef MORVANE_READER_MIDI_READ_MIDI_SCORE_H_
#define MORVANE_READER_MIDI_READ_MIDI_SCORE_H_

#include "driver/run_state.h"

namespace morvane {

// Reads the rest of state.input, a standard MIDI file, as the text reader
// reads its rendering: creates and fills the event table, sets
// state.division, writes the note list's header and instrument lines. Ends
// the run as the text reader would, on a read error, or with the damaged
// file's message.
void read_midi_score(RunState& state);

}  // namespace morvane

#endif  // MORVANE_READER_MIDI_READ_MIDI_SCORE_H_
