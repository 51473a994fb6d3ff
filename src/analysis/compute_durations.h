// Note durations: pairs every note start with its end and converts ticks to
// beats (quarter notes).

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

// Allocates state.arrays and sets, for every slot i whose event is a note
// start (velocity above 0), state.arrays.duration_beats[i]: the time of its
// end in beats, formed in double precision, minus its start_beats, rounded
// to single precision once. Its end is the first event after slot i with the
// same channel and note and velocity exactly 0, in any track and whatever
// the line's kind word; without one the duration is 0. Needs the events in
// time order and division > 0. Ends the run with status 1 when the array
// cannot be allocated.
//
// Linear in the number of events: one backward pass remembers, for each
// channel and note, the nearest end seen so far.
void compute_durations(RunState& state);

}  // namespace morvane

#endif  // MORVANE_ANALYSIS_COMPUTE_DURATIONS_H_
