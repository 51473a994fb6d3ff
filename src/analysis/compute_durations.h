// Note durations: pairs every note start with its end and converts ticks to
// beats (quarter notes).

#ifndef MORVANE_ANALYSIS_COMPUTE_DURATIONS_H_
#define MORVANE_ANALYSIS_COMPUTE_DURATIONS_H_

#include "driver/run_state.h"

namespace morvane {

// For every slot i whose record is a note start (velocity above 0), sets
// state.arrays.time[i] to its start in beats and state.arrays.channel[i] to
// its duration in beats. Its end is the first record after slot i with the
// same channel and note and velocity exactly 0, in any track and whatever
// the line's kind word; without one the duration is 0. Other slots keep
// what sort_by_time left. Needs the records in time order and division > 0.
//
// Linear in the number of events: one backward pass remembers, for each
// channel and note, the nearest end seen so far.
void compute_durations(RunState& state);

}  // namespace morvane

#endif  // MORVANE_ANALYSIS_COMPUTE_DURATIONS_H_
