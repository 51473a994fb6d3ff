// The score reader for a standard MIDI file: each event goes to the section
// rules as a converter's line for it (only track names made into text), and
// all is as reading that text would give, to the byte: a time past 2^31 - 1
// is out of range where its line would be. A damaged file is refused first,
// then an SMPTE division or one of 0. Failures are told in the file's terms:
// its name, and the track and byte of the event or the byte of the damage.

#ifndef MORVANE_READER_MIDI_READ_MIDI_SCORE_H_
#define MORVANE_READER_MIDI_READ_MIDI_SCORE_H_

#include "driver/run_state.h"

namespace morvane {

// Reads the rest of state.input as read_text_score reads its rendering; ends
// the run where that would, on a read error, or on a damaged file, with a
// message that names the file.
void read_midi_score(RunState& state);

}  // namespace morvane

#endif  // MORVANE_READER_MIDI_READ_MIDI_SCORE_H_
