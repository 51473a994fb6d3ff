#include "analysis/sort_by_time.h"

#include "analysis/single_precision.h"

namespace morvane {

void round_fields_through_single(EventTable& table) {
  for (std::size_t i = 1; i < table.slots.size(); ++i) {
    table.slots[i].time_ticks = through_single(table.slots[i].time_ticks);
  }
  for (WideFields& w : table.wide) {
    w = WideFields{through_single(w.channel), through_single(w.note),
                   through_single(w.velocity)};
  }
}

}  // namespace morvane
