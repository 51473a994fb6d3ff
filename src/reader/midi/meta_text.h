// Text meta events as converters write them: quoted, with C-like escapes. The
// reader reads a track name event as such a name line; tests render with it.

#ifndef MORVANE_READER_MIDI_META_TEXT_H_
#define MORVANE_READER_MIDI_META_TEXT_H_

#include <string>
#include <string_view>

namespace morvane {

// Appends text in quotes: '"' and '\' escaped with '\', CR, LF and NUL as
// \r, \n and \0, other bytes outside 32..126 as \x and two hex digits.
void append_quoted(std::string& out, std::string_view text);

// The line of a track name event of time 0 (SeqName in a file's first track).
std::string name_line(std::string_view name, bool first_track);

}  // namespace morvane

#endif  // MORVANE_READER_MIDI_META_TEXT_H_
