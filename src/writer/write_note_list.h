// The note-list writer: one line per event whose velocity is not 0.

#ifndef MORVANE_WRITER_WRITE_NOTE_LIST_H_
#define MORVANE_WRITER_WRITE_NOTE_LIST_H_

#include <cstddef>
#include <cstdint>

#include "analysis/compute_durations.h"
#include "driver/run_state.h"

namespace morvane {

// Whether an event has a line in the note list: every event but a note's end
// (velocity 0). A negative velocity has one too (see NoteLine).
inline bool has_note_line(const EventRecord& r) { return r.velocity != 0; }

// The number of lines has_note_line gives the table's events.
uint64_t note_line_count(const EventTable& table);

// The numbers of an event's line, before they are formatted: start and
// duration in beats, channel counted from 0 (64 bits: a channel of -2^31 is
// written as -2^31 - 1), key and velocity. A negative velocity is carried
// through: the duration stage passed it over, so its start is its time in
// ticks, and its channel number stands where the duration goes.
struct NoteLine {
  float start;
  float duration;
  int64_t channel;
  int32_t key;
  int32_t velocity;
};

// r's line; duration is the start's, from the duration stage (only read for
// a start).
inline NoteLine note_line(const EventRecord& r, float duration,
                          int32_t division) {
  const bool start = r.velocity > 0;
  return {start ? start_beats(r.time_ticks, division)
                : static_cast<float>(r.time_ticks),
          start ? duration : static_cast<float>(r.channel),
          static_cast<int64_t>(r.channel) - 1, r.note, r.velocity};
}

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
