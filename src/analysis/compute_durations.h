// Note durations: pairs every note start with its end and converts ticks to
// beats (quarter notes).
//
// The pairing follows the events as a player meets them: in time order
// (times rounded as the sort rounds them) and, at one tick, in input order,
// whatever order the heap sort leaves equal times in. An end (velocity 0)
// closes every sounding note of its channel and note begun at an earlier
// tick; when there is none, those begun before it at its own tick (notes of
// no length). A start that nothing closes has the duration 0.

#ifndef MORVANE_ANALYSIS_COMPUTE_DURATIONS_H_
#define MORVANE_ANALYSIS_COMPUTE_DURATIONS_H_

#include <cstdint>
#include <vector>

#include "driver/run_state.h"

namespace morvane {

// The start of a note in beats: the quotient formed in double precision and
// rounded to single precision once.
inline float start_beats(int32_t time_ticks, int32_t division) {
  return static_cast<float>(static_cast<double>(time_ticks) / division);
}

// Allocates state.arrays.duration_beats, all 0; ends the run with status 1
// when it cannot be had.
void allocate_durations(RunState& state);

// Sets state.arrays.duration_beats[slot] for every note start: its end in
// beats, in double precision, minus its start_beats, rounded to single
// precision once. Needs the durations allocated, the wide fields rounded
// (TimeSort does it) and division > 0. Reads only the table, so it may run
// while the order is sorted. Linear when the table is a few runs of
// ascending times (a score's tracks); n log n at worst.
void pair_notes(RunState& state);

// For every note start, the table slot of the end pair_notes pairs it with
// (end_slot[slot]); 0 for a start nothing closes and for every other slot.
// Needs the wide fields rounded, as pair_notes does: for callers that want
// a note's end in ticks (the Python module), after a run.
std::vector<uint32_t> note_end_slots(const RunState& state);

// allocate_durations, then pair_notes.
void compute_durations(RunState& state);

}  // namespace morvane

#endif  // MORVANE_ANALYSIS_COMPUTE_DURATIONS_H_
