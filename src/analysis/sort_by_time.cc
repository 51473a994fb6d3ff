#include "analysis/sort_by_time.h"

#include <algorithm>
#include <cassert>

#include "analysis/single_precision.h"

namespace morvane {

TimeSort::TimeSort(EventTable& table) : table_(table), n_(table.events()) {
  for (WideFields& w : table_.wide) {
    w = WideFields{through_single(w.channel), through_single(w.note),
                   through_single(w.velocity)};
  }
}

void TimeSort::round_times(std::size_t lo, std::size_t hi) {
  for (std::size_t i = lo; i < hi; ++i) {
    table_.slots[i].time_ticks = through_single(table_.slots[i].time_ticks);
  }
}

void TimeSort::build_subtrees(std::size_t first, std::size_t last) {
  assert(kTop <= first && first <= last && last <= 2 * kTop);
  for (std::size_t root = first; root < last; ++root) {
    // Every slot of the subtree, level by level, before any comparison.
    for (std::size_t f = root, w = 1; f <= n_; f *= 2, w *= 2) {
      round_times(f, std::min(f + w, n_ + 1));
    }
    heap_build_subtree4(n_, table_.slots.data(), key, root);
  }
}

}  // namespace morvane
