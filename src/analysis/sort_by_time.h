// Time ordering: brings the events of all tracks into one order by time.

#ifndef MORVANE_ANALYSIS_SORT_BY_TIME_H_
#define MORVANE_ANALYSIS_SORT_BY_TIME_H_

#include <cstddef>

#include "analysis/heap_sort4.h"
#include "driver/run_state.h"

namespace morvane {

// The sort in parts that two threads may share. Every field of every event
// is first rounded through single precision, as the sort sees it (times
// above 2^24 ticks lose precision; a value that rounds to 2^31 becomes
// 2147483647; byte-sized fields are exact there). Then heap_sort4 orders
// the slots by time; its first phase is split into the subtrees under nodes
// kTop .. 2 kTop - 1, which may be built in any order and at once, and the
// rest.
//
// The rounded times are exact floats and compare as those floats do, so
// sorting the 8-byte stored events by them as integers gives the order of a
// sort of four float arrays keyed on time, element for element.
class TimeSort {
 public:
  static constexpr std::size_t kTop = 64;

  // Rounds the wide fields.
  explicit TimeSort(EventTable& table);

  // Rounds the times in, and builds, the subtrees under nodes first .. last
  // - 1, where kTop <= first <= last <= 2 kTop.
  void build_subtrees(std::size_t first, std::size_t last);

  // Once every subtree is built: rounds the times above them, builds the
  // rest of the heap and sorts. settled is as for sort_by_time.
  template <typename Settled>
  void finish(Settled settled);

 private:
  static int32_t key(const StoredEvent& e) { return e.time_ticks; }
  void round_times(std::size_t lo, std::size_t hi);  // slots lo .. hi - 1

  EventTable& table_;
  std::size_t n_;  // events
};

// Sorts the event table by time with TimeSort, in place, so that slot i
// holds the i-th event in time order. Events with equal times come out in
// the order the heap sort leaves them, which the note list depends on.
//
// settled(first) is called while the sort runs, from the calling thread,
// each time slots first .. count() - 1 hold their final events (first
// decreasing); it is not called for the last slots, which settle when the
// function returns.
template <typename Settled = NothingSettled>
void sort_by_time(RunState& state, Settled settled = {}) {
  TimeSort sort(state.table);
  sort.build_subtrees(TimeSort::kTop, 2 * TimeSort::kTop);
  sort.finish(settled);
}

template <typename Settled>
void TimeSort::finish(Settled settled) {
  round_times(1, std::min(kTop, n_ + 1));
  if (n_ < 2) return;
  StoredEvent* a = table_.slots.data();
  heap_build_top4(n_, a, key, kTop);
  heap_extract4(n_, a, key, settled);
}

}  // namespace morvane

#endif  // MORVANE_ANALYSIS_SORT_BY_TIME_H_
