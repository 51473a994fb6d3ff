// The score reader for a standard MIDI file: its events go straight into
// the event table, with no text between.
//
// The result is, to the byte and the message, what reading the file's MIDI
// text rendering (midi_file.h) line by line gives: the same instruments,
// events, counts and failures, and a time past 2^31 - 1 is out of range in
// the line the rendering would hold it in. A damaged file is refused before
// anything of it is read.

#ifndef MORVANE_READER_MIDI_READ_MIDI_SCORE_H_
#define MORVANE_READER_MIDI_READ_MIDI_SCORE_H_

#include <string>
#include <string_view>

#include "driver/run_state.h"

namespace morvane {

// Reads the standard MIDI file bytes, named name in messages, into the
// created event table: sets state.division, writes the note list's header
// and instrument lines, says what the text reader says. Ends the run as the
// text reader would, or with the damaged file's message.
void read_midi_score(RunState& state, const std::string& name,
                     std::string_view bytes);

}  // namespace morvane

#endif  // MORVANE_READER_MIDI_READ_MIDI_SCORE_H_
