// Time ordering: brings the events of all tracks into one order by time.

#ifndef MORVANE_ANALYSIS_SORT_BY_TIME_H_
#define MORVANE_ANALYSIS_SORT_BY_TIME_H_

#include <cstddef>

#include "analysis/heap_sort4.h"
#include "driver/run_state.h"

namespace morvane {

// Rounds every field of every event through single precision, as the sort
// sees them: times above 2^24 ticks lose precision, and a value that rounds
// to 2^31 becomes 2147483647. Byte-sized fields are exact there.
void round_fields_through_single(EventTable& table);

// Sorts the event table by time with heap_sort4, in place, so that slot i
// holds the i-th event in time order, after rounding its fields with
// round_fields_through_single. Events with equal times come out in the
// order the heap sort leaves them, which the note list depends on.
//
// settled(first) is called while the sort runs, from the calling thread,
// each time slots first .. count() - 1 hold their final events (first
// decreasing); it is not called for the last slots, which settle when the
// function returns.
template <typename Settled = NothingSettled>
void sort_by_time(RunState& state, Settled settled = {}) {
  EventTable& table = state.table;
  round_fields_through_single(table);
  // The rounded times are exact floats and compare as those floats do, so
  // sorting the 8-byte stored events by them as integers gives the order of
  // a sort of four float arrays keyed on time, element for element.
  if (table.events() >= 2) {
    heap_sort4(
        table.events(), table.slots.data(),
        [](const StoredEvent& e) { return e.time_ticks; }, settled);
  }
}

}  // namespace morvane

#endif  // MORVANE_ANALYSIS_SORT_BY_TIME_H_
