// The note-list writer: one line per event whose velocity is not 0.

#ifndef MORVANE_WRITER_WRITE_NOTE_LIST_H_
#define MORVANE_WRITER_WRITE_NOTE_LIST_H_

#include <cstddef>

#include "driver/run_state.h"

namespace morvane {

// Announces the output file on the console.
void announce_note_list(RunState& state);

// Announces the output file, then appends put_note_lines for the whole order.
void write_note_list(RunState& state);

// Room put_note_lines needs per event.
inline constexpr std::size_t kMaxNoteLine = 200;

// Writes at p, for each event of velocity not 0 at places lo .. hi - 1 of the
// time order: start "%4.3f \t", channel - 1, note, velocity "%d\t" each,
// duration "%4.3f\n" (start_beats, duration_beats; for a negative velocity
// its ticks and channel). Needs kMaxNoteLine per event; returns the end.
char* put_note_lines(const RunState& state, std::size_t lo, std::size_t hi,
                     char* p);

// The bytes put_note_lines writes for every place of the time order: the
// same whatever the order, so it is known before the sort ends. Needs the
// durations and the table's wide fields rounded as the sort rounds them.
std::size_t note_lines_length(const RunState& state);

}  // namespace morvane

#endif  // MORVANE_WRITER_WRITE_NOTE_LIST_H_
