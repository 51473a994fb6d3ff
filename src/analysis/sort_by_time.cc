#include "analysis/sort_by_time.h"

#include <new>

#include "analysis/heap_sort4.h"
#include "analysis/single_precision.h"
#include "driver/console.h"

namespace morvane {
namespace {

void allocate(RunState& state, std::vector<float>& array, FailPoint point,
              const char* message) {
  try {
    if (state.fail_at == point) throw std::bad_alloc();
    array.assign(state.table.count(), 0.0f);
  } catch (const std::bad_alloc&) {
    fail_on_out(state, message);
  }
}

}  // namespace

void sort_by_time(RunState& state) {
  allocate(state, state.arrays.time, FailPoint::time_array,
           "\nNo memory for array1.");
  allocate(state, state.arrays.channel, FailPoint::channel_array,
           "\nNo memory for array2.");

  // Sorting the records themselves, with every field already passed through
  // single precision, gives the same result as sorting four float arrays:
  // the rounded times are exact floats and compare as those floats do, and
  // the fields ride along unchanged. One 16-byte element per event is far
  // kinder to the cache than four arrays.
  std::vector<EventRecord>& slots = state.table.slots;
  for (std::size_t i = 1; i < slots.size(); ++i) {
    EventRecord& r = slots[i];
    r = EventRecord{through_single(r.time_ticks), through_single(r.channel),
                    through_single(r.note), through_single(r.velocity)};
  }
  if (state.table.events() >= 2) {
    heap_sort4(state.table.events(), slots.data(),
               [](const EventRecord& r) { return r.time_ticks; });
  }
  for (std::size_t i = 1; i < slots.size(); ++i) {
    state.arrays.time[i] = static_cast<float>(slots[i].time_ticks);
    state.arrays.channel[i] = static_cast<float>(slots[i].channel);
  }
}

}  // namespace morvane
