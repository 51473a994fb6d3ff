// Standard MIDI files rendered as the MIDI text lines that a MIDI-file-to-
// text converter writes for them: the tests' oracle. The translator reads a
// MIDI file's events straight (read_midi_score.h); the rendering, read as
// lines, is what it must agree with, and the converter's own renderings of
// the corpus hold the rendering to the byte.
//
// Example: the bytes of a format 1 file with division 480 whose second
// track is named Flute and plays one note render as
//   MFile 1 2 480
//   MTrk
//   0 Tempo 500000
//   0 Meta TrkEnd
//   TrkEnd
//   MTrk
//   0 Meta TrkName "Flute"
//   0 On ch=1 n=72 v=80
//   480 On ch=1 n=72 v=0
//   480 Meta TrkEnd
//   TrkEnd

#ifndef MORVANE_TESTS_MIDI_FILE_H_
#define MORVANE_TESTS_MIDI_FILE_H_

#include <string>
#include <string_view>
#include <vector>

#include "reader/midi/midi_decoder.h"
#include "reader/track_sections.h"

namespace morvane {

// Appends the rendering of the standard MIDI file in bytes to text. Returns
// false, with error set, when the file is damaged; text is then incomplete.
// Linear in the size of the file; never reads outside bytes. places, when
// given, gets the place of every line rendered: its number, its track and
// the byte where its event begins.
bool render_midi_text(std::string_view bytes, std::string& text,
                      MidiFileError& error,
                      std::vector<LinePlace>* places = nullptr);

}  // namespace morvane

#endif  // MORVANE_TESTS_MIDI_FILE_H_
