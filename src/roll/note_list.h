// A note list read back: what morvane writes (and what the 2004 translator
// wrote), for programs that show it.
//
// Lines: comment lines starting with "//" ("// Instrument A B" names an
// instrument), and note lines of five fields separated by tabs:
//   start "0.000 ", channel, key, velocity, duration
// with LF or CR LF line ends. Anything else is refused with its line.

#ifndef MORVANE_ROLL_NOTE_LIST_H_
#define MORVANE_ROLL_NOTE_LIST_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

struct ListedNote {
  double start_beats = 0;  // in ticks when velocity is below 0
  int64_t channel = 0;     // counted from 0
  int64_t key = 0;
  int64_t velocity = 0;
  double duration_beats = 0;  // the channel number when velocity is below 0
};

struct NoteList {
  std::vector<std::string> instruments;
  std::vector<ListedNote> notes;
};

struct NoteListError {
  uint64_t line = 0;  // counted from 1
  std::string reason;
};

// Parses text as a note list into list; false, with error set, when a line
// is neither a comment nor a note line, or a number does not parse or is
// not finite.
bool parse_note_list(std::string_view text, NoteList& list,
                     NoteListError& error);

}  // namespace morvane

#endif  // MORVANE_ROLL_NOTE_LIST_H_
