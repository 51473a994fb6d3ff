// A piano roll of a note list, drawn as SVG: time in beats from left to
// right, keys from low (bottom) to high (top), one rectangle per note.
//
// The picture is sized to the music: only the keys used, and a width that
// keeps a short piece wide and a long one within reach. Each note is a
// <rect class="note"> with a <title> that tells the note, coloured by
// channel, more opaque the louder it is. Above kMergeAbove notes, the
// picture's notes of one channel and key that start in the same pixel
// column are drawn as one mark, so that the file stays small. The picture is
// at most 16,000 pixels of beats wide and 132 keys high, with grid lines and
// labels spaced by pixels: its size and the time to draw it grow with the
// number of notes alone.

#ifndef MORVANE_ROLL_PIANO_ROLL_H_
#define MORVANE_ROLL_PIANO_ROLL_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "roll/note_list.h"

namespace morvane {

inline constexpr std::size_t kMergeAbove = 100000;

// Where things go, in SVG user units (pixels).
struct RollLayout {
  static constexpr double kLeft = 48;   // room for the key labels
  static constexpr double kTop = 24;    // room for the beat labels
  static constexpr double kRow = 10;    // one key
  static constexpr double kMinMark = 2;  // a note of no length

  double beat_px = 0;  // one beat
  int64_t low_key = 0;
  int64_t high_key = 0;
  double length_beats = 0;

  double x(double beats) const { return kLeft + beats * beat_px; }
  double y(int64_t key) const {
    return kTop +
           (static_cast<double>(high_key) - static_cast<double>(key)) * kRow;
  }
};

struct RollSummary {
  std::size_t notes = 0;  // note lines
  std::size_t drawn = 0;  // marks drawn
  std::string channels;   // those used, as "0 1 9"
  int64_t low_key = 0, high_key = 0;  // of the notes drawn
  double length_beats = 0;
  std::size_t no_length = 0;
  std::size_t negative_velocity = 0;  // not drawn: their times are ticks
};

// The layout for list.
RollLayout lay_out(const NoteList& list);

// The SVG of list; fills summary.
std::string draw_piano_roll(const NoteList& list, RollSummary& summary);

// The summary draw_piano_roll fills, without drawing: to decide whether a
// picture is worth drawing.
RollSummary summarize(const NoteList& list);

// The summary as morvane-roll prints it.
std::string describe(const RollSummary& summary);

// "C4" for key 60.
std::string key_name(int64_t key);

}  // namespace morvane

#endif  // MORVANE_ROLL_PIANO_ROLL_H_
