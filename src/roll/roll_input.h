// What morvane-roll draws: a note list read back, or a score translated in
// memory by the core into the very note list morvane would write for it.
// Which of the three a file holds is told by its first bytes:
//
//   "MThd..."  a standard MIDI file (as the translator tells one)
//   "MFile..." a MIDI text file (the header line it must begin with)
//   anything else, an empty file too, a note list
//
//   RollInput input = open_roll_input("song.mid");
//   NoteList list;
//   InputRead read =
//       read_roll_input(std::move(input), "song.mid", false, list);

#ifndef MORVANE_ROLL_ROLL_INPUT_H_
#define MORVANE_ROLL_ROLL_INPUT_H_

#include <string>

#include "reader/open_score.h"
#include "roll/note_list.h"

namespace morvane {

struct RollInput {
  OpenedScore file;       // its source is null when it cannot be opened
  bool is_score = false;  // a MIDI file or a MIDI text file
};

// Opens name for reading and tells what it holds.
RollInput open_roll_input(const std::string& name);

struct InputRead {
  int status = 0;  // 0, else the status morvane-roll ends with
  // After a failure what went wrong; after a translation that succeeded,
  // what the translator said of it, if anything (notes passed over).
  // Without "morvane-roll: " and without a line end.
  std::string message;
};

// Fills list from input, named name: a note list parsed, or a score
// translated as `morvane [--all-tracks] name` translates it. A failed
// translation gives the translator's own message and status.
InputRead read_roll_input(RollInput input, const std::string& name,
                          bool all_tracks, NoteList& list);

}  // namespace morvane

#endif  // MORVANE_ROLL_ROLL_INPUT_H_
