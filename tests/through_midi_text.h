// The oracle for reading standard MIDI files: a translation by way of the
// file's MIDI text rendering, read line by line, as the translator once
// read every MIDI file. Shared by the tests and the fuzz target.

#ifndef MORVANE_TESTS_THROUGH_MIDI_TEXT_H_
#define MORVANE_TESTS_THROUGH_MIDI_TEXT_H_

#include <string>

#include "driver/in_memory_run.h"

namespace morvane::testing {

// What translate_in_memory gives for the bytes of file, when a MIDI file
// (its first bytes "MThd") is rendered whole as MIDI text and that is read,
// a failure told in the file's terms (its name, track and byte, not a line
// of the text); a damaged one is refused, as an empty text is, with its
// message.
Translation translate_through_midi_text(const std::string& score_name,
                                        const std::string& file,
                                        const std::string& notes_name,
                                        const TranslationOptions& options = {});

}  // namespace morvane::testing

#endif  // MORVANE_TESTS_THROUGH_MIDI_TEXT_H_
