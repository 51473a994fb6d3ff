#include "analysis/sort_by_time.h"

#include "analysis/heap_sort4.h"
#include "analysis/single_precision.h"

namespace morvane {

void sort_by_time(RunState& state) {
  EventTable& table = state.table;
  // Every field goes through single precision first. Byte-sized values are
  // exact there, so only times and wide fields can change.
  for (std::size_t i = 1; i < table.slots.size(); ++i) {
    table.slots[i].time_ticks = through_single(table.slots[i].time_ticks);
  }
  for (WideFields& w : table.wide) {
    w = WideFields{through_single(w.channel), through_single(w.note),
                   through_single(w.velocity)};
  }
  // The rounded times are exact floats and compare as those floats do, so
  // sorting the 8-byte stored events by them as integers gives the order of
  // a sort of four float arrays keyed on time, element for element.
  if (table.events() >= 2) {
    heap_sort4(table.events(), table.slots.data(),
               [](const StoredEvent& e) { return e.time_ticks; });
  }
}

}  // namespace morvane
