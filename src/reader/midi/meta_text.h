// The text of a MIDI file's text meta events as MIDI-file-to-text
// converters write it: in quotes, with C-like escapes. The score reader
// renders a track name event this way to read it as the name line a
// converter would write; the tests' rendering of whole files shares the
// quoting, and the converter's own renderings of the corpus hold both to
// the byte.

#ifndef MORVANE_READER_MIDI_META_TEXT_H_
#define MORVANE_READER_MIDI_META_TEXT_H_

#include <string>
#include <string_view>

namespace morvane {

// Appends text in quotes: '"' and '\' escaped with '\', CR, LF and NUL as
// \r, \n and \0, other bytes outside 32..126 as \x and two hex digits.
void append_quoted(std::string& out, std::string_view text);

// The line of a track name meta event of time 0 whose text is name:
// 0 Meta TrkName "name" (SeqName in a file's first track).
std::string name_line(std::string_view name, bool first_track);

}  // namespace morvane

#endif  // MORVANE_READER_MIDI_META_TEXT_H_
