// Time ordering: brings the events of all tracks into one order by time.

#ifndef MORVANE_ANALYSIS_SORT_BY_TIME_H_
#define MORVANE_ANALYSIS_SORT_BY_TIME_H_

#include <algorithm>
#include <atomic>
#include <cstddef>

#include "analysis/heap_sort4.h"
#include "driver/run_state.h"

namespace morvane {

// The sort in parts that two threads may share. Every field of every event
// passes through single precision, as the sort sees it (times above 2^24
// ticks lose precision; a value that rounds to 2^31 becomes 2147483647).
// The heap sort then orders state.arrays.order, one (rounded time, table
// slot) element per event; rounded times compare as integers as they do as
// floats. Its first phase is split into the subtrees under nodes kTop ..
// 2 kTop - 1, which may be built in any order and at once, and the rest.
class SubtreesLeft;

class TimeSort {
 public:
  static constexpr std::size_t kTop = 64;

  // Rounds the wide fields and allocates the order; ends the run with
  // status 1 when it cannot be had.
  explicit TimeSort(RunState& state);

  // Fills in, and builds, the subtrees under nodes first .. last - 1, where
  // kTop <= first <= last <= 2 kTop.
  void build_subtrees(std::size_t first, std::size_t last);

  // Fills in and builds one subtree after another, each the next that
  // left holds, until none is left. Threads that share left share the
  // subtrees between them; once all have returned, every subtree is built.
  void build_subtrees_left(SubtreesLeft& left);

  // Once every subtree is built: fills in the elements above them, builds
  // the rest of the heap and sorts. settled is as for sort_by_time.
  template <typename Settled>
  void finish(Settled settled);

 private:
  // A type rather than a function, so that every call of it is inlined.
  struct Key {
    int32_t operator()(const SortedEvent& e) const { return e.time_ticks; }
  };
  void fill(std::size_t lo, std::size_t hi);  // elements lo .. hi - 1

  const EventTable& table_;
  const HeapLayout& layout_;  // the order's, set by the constructor
  SortedEvent* order_;
  std::size_t n_;  // events
};

// The roots of the heap subtrees not yet taken by a thread that builds
// them.
class SubtreesLeft {
 public:
  // The next root to build, or 0 once none is left.
  std::size_t take();

 private:
  std::atomic<std::size_t> next_{TimeSort::kTop};
};

// Sorts the events by time into state.arrays.order: element i is the i-th
// event in time order, equal times as the heap sort leaves them. While it
// runs, settled(first) is called on this thread each time elements first ..
// count() - 1 are final (not for the last ones, final on return).
template <typename Settled = NothingSettled>
void sort_by_time(RunState& state, Settled settled = {}) {
  TimeSort sort(state);
  sort.build_subtrees(TimeSort::kTop, 2 * TimeSort::kTop);
  sort.finish(settled);
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
void TimeSort::finish(Settled settled) {
  fill(1, std::min(kTop, n_ + 1));
  if (n_ < 2) return;
  heap_build_top4(n_, order_, layout_, Key(), kTop);
  heap_extract4(n_, order_, layout_, Key(), settled);
}

}  // namespace morvane

#endif  // MORVANE_ANALYSIS_SORT_BY_TIME_H_
