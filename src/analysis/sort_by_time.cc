#include "analysis/sort_by_time.h"

#include <cassert>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>

#include "analysis/single_precision.h"
#include "driver/allocation.h"
#include "base/huge_pages.h"

namespace morvane {

namespace {

// The order names a table slot in 32 bits.
constexpr std::size_t kMaxSlots = std::numeric_limits<uint32_t>::max();

}  // namespace

TimeSort::TimeSort(RunState& state)
    : table_(state.table),
      layout_(state.arrays.order.layout),
      order_(nullptr),
      n_(state.table.events()) {
  for (WideFields& w : state.table.wide) {
    w = WideFields{through_single(w.channel), through_single(w.note),
                   through_single(w.velocity)};
  }
  const std::size_t count = state.table.count();
  allocate_or_fail(state, FailPoint::order_array, "\nNo memory for array1.",
                   [&] {
                     if (count > kMaxSlots) throw std::bad_alloc();
                     // Left unwritten here: each part of it is first touched
                     // by the thread that builds that part of the heap.
                     TimeOrder& order = state.arrays.order;
                     order.layout =
                         HeapLayout(n_, state.overlap.heap_plain_levels);
                     order.elements =
                         LargeArray<SortedEvent>(order.layout.places());
                   });
  order_ = state.arrays.order.elements.get();
}

void TimeSort::fill(std::size_t lo, std::size_t hi) {
  for (std::size_t i = lo; i < hi;) {
    SortedEvent* at = order_ + layout_.place(i);
    for (const std::size_t end = std::min(hi, layout_.run_end(i)); i < end;
         ++i) {
      *at++ = {through_single(table_.slots[i].time_ticks),
               static_cast<uint32_t>(i)};
    }
  }
}

void TimeSort::build_subtrees() {
  for (std::size_t root = kTop; root < 2 * kTop; ++root) {
    // Every element of the subtree, level by level, before any comparison.
    for (std::size_t f = root, w = 1; f <= n_; f *= 2, w *= 2) {
      fill(f, std::min(f + w, n_ + 1));
    }
    heap_build_subtree4(n_, order_, layout_, Key(), root);
  }
}

}  // namespace morvane
