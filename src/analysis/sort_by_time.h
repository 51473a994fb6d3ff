// Time ordering: brings the events of all tracks into one order by time.

#ifndef MORVANE_ANALYSIS_SORT_BY_TIME_H_
#define MORVANE_ANALYSIS_SORT_BY_TIME_H_

#include <algorithm>
#include <cstddef>

#include "analysis/heap_sort4.h"
#include "driver/run_state.h"

namespace morvane {

// The time sort, in two steps so that a second thread may start between
// them. Every field of every event passes through single precision, as the
// sort sees it (times above 2^24 ticks lose precision; a value that rounds
// to 2^31 becomes 2147483647). The heap sort then orders state.arrays.order,
// one (rounded time, table slot) element per event; rounded times compare as
// integers as they do as floats.
class TimeSort {
 public:
  // Rounds the wide fields and allocates the order; ends the run with
  // status 1 when it cannot be had.
  explicit TimeSort(RunState& state);

  // Fills in the order and sorts it; settled is as for sort_by_time.
  template <typename Settled>
  void sort(Settled settled);

 private:
  // The heap's first phase builds the subtrees under nodes kTop .. 2 kTop -
  // 1 one at a time, each in cache while it is built, then the rest.
  static constexpr std::size_t kTop = 64;
  // A type rather than a function, so that every call of it is inlined.
  struct Key {
    int32_t operator()(const SortedEvent& e) const { return e.time_ticks; }
  };
  void fill(std::size_t lo, std::size_t hi);  // elements lo .. hi - 1
  void build_subtrees();

  const EventTable& table_;
  const HeapLayout& layout_;  // the order's, set by the constructor
  SortedEvent* order_;
  std::size_t n_;  // events
};

// Sorts the events by time into state.arrays.order: element i is the i-th
// event in time order, equal times as the heap sort leaves them. While it
// runs, settled(first) is called on this thread each time elements first ..
// count() - 1 are final (not for the last ones, final on return).
template <typename Settled = NothingSettled>
void sort_by_time(RunState& state, Settled settled = {}) {
  TimeSort(state).sort(settled);
}

// The event at place i (1 <= i < count()) of the time order: its rounded
// time and its fields.
inline EventRecord sorted_event(const RunState& state, std::size_t i) {
  const SortedEvent& e = state.arrays.order[i];
  EventRecord r = state.table.at(e.file_slot);
  r.time_ticks = e.time_ticks;
  return r;
}

template <typename Settled>
void TimeSort::sort(Settled settled) {
  build_subtrees();
  fill(1, std::min(kTop, n_ + 1));
  if (n_ < 2) return;
  heap_build_top4(n_, order_, layout_, Key(), kTop);
  heap_extract4(n_, order_, layout_, Key(), settled);
}

}  // namespace morvane

#endif  // MORVANE_ANALYSIS_SORT_BY_TIME_H_
