// Note durations: pairs every note start with its end and converts ticks to
// beats (quarter notes).
//
// The pairing follows the events as a player meets them: in time order
// (times rounded as the time ordering rounds them) and, at one tick, in
// input order (tracks as the file lists them, lines in order within a
// track). So it does not depend on the order in which the heap sort leaves
// equal times. An end (velocity 0) closes every sounding note of its
// channel and note begun at an earlier tick; when there is none, it closes
// those begun before it at its own tick (notes of no length). A start that
// nothing closes has the duration 0.

#ifndef MORVANE_ANALYSIS_COMPUTE_DURATIONS_H_
#define MORVANE_ANALYSIS_COMPUTE_DURATIONS_H_

#include <cstdint>

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

// Sets state.arrays.duration_beats[slot] for every note start of the table:
// the time of its end in beats, formed in double precision, minus its
// start_beats, rounded to single precision once. Needs the durations
// allocated, the wide fields rounded (TimeSort does it) and division > 0.
// Reads only the table, never the time order, so it may run while the
// order is being sorted. Linear in the events when the table is a few runs
// of ascending times (the tracks of a score); n log n at worst.
void pair_notes(RunState& state);

// allocate_durations, then pair_notes.
void compute_durations(RunState& state);

}  // namespace morvane

#endif  // MORVANE_ANALYSIS_COMPUTE_DURATIONS_H_
