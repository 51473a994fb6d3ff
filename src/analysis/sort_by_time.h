// Time ordering: brings the events of all tracks into one order by time.

#ifndef MORVANE_ANALYSIS_SORT_BY_TIME_H_
#define MORVANE_ANALYSIS_SORT_BY_TIME_H_

#include "driver/run_state.h"

namespace morvane {

// Sorts the event table by time with heap_sort4, in place, so that slot i
// holds the i-th event in time order. Every field of every event comes back
// as it would after a round trip through single precision (times above 2^24
// ticks lose precision; a value that rounds to 2^31 becomes 2147483647).
// Events with equal times come out in the order the heap sort leaves them,
// which the note list depends on.
void sort_by_time(RunState& state);

}  // namespace morvane

#endif  // MORVANE_ANALYSIS_SORT_BY_TIME_H_
