// Standard MIDI files, rendered as the MIDI text lines that a MIDI-file-to-
// text converter writes for them, so that the score reader needs to know
// nothing about where its lines came from.
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

#ifndef MORVANE_READER_MIDI_MIDI_FILE_H_
#define MORVANE_READER_MIDI_MIDI_FILE_H_

#include <cstdint>
#include <string>
#include <string_view>


namespace morvane {

struct MidiFileError {
  std::string reason;   // a few words: what is wrong
  uint64_t offset = 0;  // the byte of the file where it was found
};

// Appends the rendering of the standard MIDI file in bytes to text. Returns
// false, with error set, when the file is damaged; text is then incomplete.
// Linear in the size of the file; never reads outside bytes.
bool render_midi_text(std::string_view bytes, std::string& text,
                      MidiFileError& error);

}  // namespace morvane

#endif  // MORVANE_READER_MIDI_MIDI_FILE_H_
