// Time ordering: brings the events of all tracks into one order by time.

#ifndef MORVANE_ANALYSIS_SORT_BY_TIME_H_
#define MORVANE_ANALYSIS_SORT_BY_TIME_H_

#include "driver/run_state.h"

namespace morvane {

// Allocates the note arrays and sorts the event records by time with
// heap_sort4, so that slot i holds the i-th event in time order. Every
// field of every record comes back as it would after a round trip through
// single precision (times above 2^24 ticks lose precision). Afterwards the
// arrays hold each slot's time in ticks and channel. Ends the run with
// status 1 when an array cannot be allocated.
void sort_by_time(RunState& state);

}  // namespace morvane

#endif  // MORVANE_ANALYSIS_SORT_BY_TIME_H_
