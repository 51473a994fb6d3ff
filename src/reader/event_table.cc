#include "reader/event_table.h"

#include <cstdint>
#include <new>
#include <stdexcept>

#include "driver/allocation.h"
#include "driver/console.h"

namespace morvane {

void create_event_table(RunState& state) {
  allocate_or_fail(state, FailPoint::table_create,
                   "\n FILE INPUT: No memory for array\n",
                   [&] { state.table.slots.assign(1, StoredEvent{}); });
}

void reserve_events(RunState& state, std::size_t expected) {
  auto& slots = state.table.slots;
  if (expected <= slots.capacity()) return;
  try_allocate(state, FailPoint::table_grow, [&] {
    slots.reserve(expected);
  });
}

void GET_LMEM(RunState& state, std::size_t new_count, bool wide_record) {
  EventTable& table = state.table;
  if (!try_allocate(state, FailPoint::table_grow,
                    [&] { table.slots.resize(new_count); })) {
    say_memory(state, "\n GET_LMEM 1: No memory for array\n");
    fail_on_out(state, "\n Insufficient memory for file input\n");
  }
  if (wide_record) {
    allocate_or_fail(state, FailPoint::wide_record,
                     "\n GET_LMEM 2: No memory for array\n", [&] {
                       // The index of a wide record has 31 bits.
                       if (table.wide.size() >= EventTable::kWide) {
                         throw std::bad_alloc();
                       }
                       table.wide.emplace_back();
                     });
  }
}

void append_event_growing(RunState& state, const EventRecord& event) {
  EventTable& table = state.table;
  const bool packed = EventTable::fits_packed(event);
  GET_LMEM(state, table.slots.size() + 1, !packed);
  StoredEvent& slot = table.slots.back();
  slot.time_ticks = event.time_ticks;
  if (packed) {
    slot.rest = EventTable::pack(event);
  } else {
    table.wide.back() = {event.channel, event.note, event.velocity};
    slot.rest = EventTable::kWide | static_cast<uint32_t>(table.wide.size() - 1);
  }
}

}  // namespace morvane
